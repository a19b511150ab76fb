// The real program from the command line against emulated codecs on a bus file, as a station
// runs it: console lines, exit codes, result files and the codec's memory afterwards.
#include <filesystem>

#include <gtest/gtest.h>

#include "tests/e2e/StationFixture.h"

namespace {

const std::vector<std::string> kQ62Image = {"--chip", "VXQ62", "--code", "0xEFFE", "--memory", "flash",
                                            "--version", "1.204.0001-0002.0003", "--serial", "SN42",
                                            "--vidpid", "3C5E,4C15,0000"};

TEST_F(Station, WriteVersionVerifyDumpAndEraseOnAModeRegisterChip) {
  Emu({"create", "--chip", "VXQ62", "--memory", "flash"});
  const std::string image = Image("fw.rfw", kQ62Image);

  ProgramResult r = Run({"-f", "-version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "\nBegin to Get FW Ver!\r\nCurrent FW Version: 0x10-6200-0001!\r\n" + Prompt());
  EXPECT_EQ(dir_.Read("Result.txt"), "fail");  // -version never counts as passed

  r = Run({"-f", "-write", "fw.rfw"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "\nBegin to Write fw!\r\nWrite fw pass!\r\n" + Prompt());
  EXPECT_EQ(dir_.Read("Result.txt"), "pass");
  EXPECT_EQ(Memory(1, 65536), dir_.Read("fw.rfw"));
  EXPECT_NE(Show().find("\"mode\": \"firmware\", \"version\": \"1.204.0001-0002.0003\""), std::string::npos);

  r = Run({"-f", "-version"});
  EXPECT_EQ(r.out, "\nBegin to Get FW Ver!\r\nCurrent FW Version: 1.204.0001-0002.0003!\r\n" + Prompt());

  r = Run({"-f", "-verify", "fw.rfw"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "\nBegin to Verify fw!\r\nVerify fw pass!\r\n" + Prompt());
  std::string changed = dir_.Read("fw.rfw");
  changed[0x2000] = static_cast<char>(changed[0x2000] ^ 0x40);
  dir_.Write("changed.rfw", changed);
  r = Run({"-f", "-verify", "changed.rfw"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "\nBegin to Verify fw!\r\nVerify fw fail!\r\n" + Prompt());
  EXPECT_EQ(dir_.Read("Result.txt"), "fail");

  r = Run({"-f", "-dumpspi", "dumps/flash.bin"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "\nBegin to Dump SPI!\r\nDump SPI pass!\r\n" + Prompt());
  EXPECT_EQ(dir_.Read("dumps/flash.bin"), Memory(1, 65536));

  r = Run({"-f", "-erase"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "\nBegin to Erase!\r\nErase pass!\r\n" + Prompt());
  EXPECT_EQ(Memory(1, 65536), std::string(65536, '\xFF'));

  // One row per run; the verify that failed carries its error code, every pass 0.
  const std::string log = dir_.Read("burn_result.txt");
  EXPECT_EQ(log.rfind("Update date       Update Time       Serial number              Result   ErrCode\r\r\n"
                      "================  ================  =========================  =======  =======\r\r\n",
                      0),
            0u);
  std::vector<std::string> rows;
  for (std::size_t at = log.find("\r\r\n", 0); at != std::string::npos;) {
    const std::size_t next = log.find("\r\r\n", at + 3);
    if (next == std::string::npos) break;
    rows.push_back(log.substr(at + 3, next - at - 3));
    at = next;
  }
  ASSERT_EQ(rows.size(), 8u);  // the second header line, then seven runs
  EXPECT_NE(rows[1].find(",                          Fail,    0:"), std::string::npos) << rows[1];
  EXPECT_NE(rows[2].find("SN42,                      Pass,    0:"), std::string::npos) << rows[2];
  EXPECT_NE(rows[5].find("Fail,    41709:"), std::string::npos) << rows[5];
  EXPECT_NE(rows[7].find("Pass,    0:"), std::string::npos) << rows[7];
}

TEST_F(Station, LegacyChipBootsItsTaggedImage) {
  Emu({"create", "--chip", "VXQ61", "--chip-id", "0x0000", "--memory", "flash"});
  Image("q61.rfw", {"--chip", "VXQ61", "--memory", "flash", "--tag", "0xEFFE", "--version", "1.100.0001-0001.0001"});
  const ProgramResult r = Run({"-f", "q61.rfw"});  // the image-path form writes
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.out, "\nBegin to Write fw!\r\nWrite fw pass!\r\n" + Prompt());
  EXPECT_EQ(Memory(1, 65536), dir_.Read("q61.rfw"));
  EXPECT_NE(Show().find("\"mode\": \"firmware\""), std::string::npos);
}

TEST_F(Station, MissingImageFileFallsBackToTheBuiltInImage) {
  Emu({"create", "--chip", "VXQ65", "--memory", "flash", "--size", "262144"});
  const ProgramResult r = Run({"-f", "-write", "missing.rfw"});
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_NE(Show().find("\"version\": \"2.601.0004-0000.4C15\""), std::string::npos) << Show();
}

TEST_F(Station, DeviceNumberChoosesAmongDevices) {
  Configure("CheckVIDPID_INI=0\r\nSaveResultToFile=1\r\n");
  Emu({"create", "--chip", "VXQ62", "--memory", "flash", "--port", "1"});
  Emu({"create", "--chip", "VXQ62", "--memory", "flash", "--port", "2"});
  Image("fw.rfw", kQ62Image);
  const ProgramResult r = Run({"-f", "-write", "fw.rfw", "-d", "1"});
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(Memory(1, 16), std::string(16, '\xFF'));
  EXPECT_EQ(Memory(2, 65536), dir_.Read("fw.rfw"));
}

TEST_F(Station, RefusalsEndWithExitCodeOneAndTouchNothing) {
  struct Case {
    const char* name;
    std::vector<std::string> create;  // empty: no device
    std::vector<std::string> args;
    std::string out;
    std::string result;
  };
  const Case cases[] = {
      {"no device", {}, {"-f", "-write", "fw.rfw"},
       "\nCannot find Tavrin USB Audio!\nGet IC Info Fail\n" + Prompt(), "fail"},
      {"device not in the VID/PID list", {"create", "--chip", "VXQ62", "--memory", "flash", "--vid", "0x1234"},
       {"-f", "-write", "fw.rfw"}, "\nCheck VID/PID Mismatch!\nGet IC Info Fail\n" + Prompt(), "fail"},
      {"mistyped option", {"create", "--chip", "VXQ62", "--memory", "flash"}, {"-f", "-wirte", "fw.bin"}, "", ""},
      {"no -f", {"create", "--chip", "VXQ62", "--memory", "flash"}, {"-write", "fw.rfw"}, "", "fail"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(dir_.File("bus"));
    std::filesystem::remove(dir_.File("Result.txt"));
    if (!c.create.empty()) {
      Emu(c.create);
    } else {
      Emu({"create", "--chip", "VXQ62", "--memory", "flash"});
      Emu({"unplug", "--port", "1"});
    }
    Image("fw.rfw", kQ62Image);
    const ProgramResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(dir_.Read("Result.txt"), c.result);
    EXPECT_EQ(Show().find("\"mode\": \"firmware\""), std::string::npos);
    if (c.name == std::string("mistyped option")) {
      EXPECT_NE(Show().find("\"transfers\": 0"), std::string::npos);
    }
  }
}

TEST_F(Station, FileListDecidesWhenConfiguredSo) {
  Configure("CheckVIDPID_INI=2\r\nSaveResultToFile=1\r\n");
  Emu({"create", "--chip", "VXQ62", "--memory", "flash", "--rev", "0x0100"});
  Image("fw.rfw", kQ62Image);
  // The file list matches only the exact release.
  dir_.Write("VidPidList.ini", "VID_3C5E&PID_4C15&REV_0000\r\n");
  ProgramResult r = Run({"-f", "-write", "fw.rfw"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.out.find("Check VID/PID Mismatch!"), std::string::npos) << r.out;
  dir_.Write("VidPidList.ini", "VID_3C5E&PID_4C15&REV_0100\r\n");
  r = Run({"-f", "-write", "fw.rfw"});
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(dir_.Read("Result.txt"), "pass");
}

TEST_F(Station, ImageForAMemoryWithoutObjectIsRefusedWithoutWriting) {
  Emu({"create", "--chip", "VXQ62", "--memory", "flash"});
  Image("mtp.rfw", {"--chip", "VXQ62", "--code", "0xEFFE", "--memory", "mtp"});
  const ProgramResult r = Run({"-f", "-write", "mtp.rfw"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "\nBegin to Write fw!\r\nWrite fw fail!\r\n" + Prompt());
  EXPECT_EQ(Memory(1, 16), std::string(16, '\xFF'));
  const std::string log = dir_.Read("burn_result.txt");
  EXPECT_NE(log.find("Fail,    41500:"), std::string::npos) << log;
}

}  // namespace
