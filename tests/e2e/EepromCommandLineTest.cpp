// The real program writing and verifying I2C EEPROM codecs of both address widths from the
// command line: the image's configuration area names the EEPROM, the codec boots the image.
#include <gtest/gtest.h>

#include "tests/e2e/StationFixture.h"

namespace {

struct Width {
  const char* name;
  std::vector<std::string> codec;
  std::vector<std::string> image;
  std::size_t bytes;
  const char* version;
};

const Width kWidths[] = {
    {"8-bit", {"create", "--chip", "VXQ61", "--chip-id", "0x0000", "--memory", "eeprom8"},
     {"--chip", "VXQ61", "--memory", "eeprom8", "--area", "0", "--size", "2048", "--capacity", "512", "--code", "0",
      "--version", "1.100.0001-0001.0001"},
     2048, "1.100.0001-0001.0001"},
    {"16-bit", {"create", "--chip", "VXQ62", "--memory", "eeprom16"},
     {"--chip", "VXQ62", "--memory", "eeprom16", "--area", "0", "--size", "32768", "--code", "0",
      "--version", "1.204.0001-0002.0003"},
     32768, "1.204.0001-0002.0003"},
};

TEST_F(Station, EepromCodecsOfBothWidthsAreWrittenVerifiedAndBoot) {
  for (const Width& w : kWidths) {
    SCOPED_TRACE(w.name);
    std::filesystem::remove(dir_.File("bus"));
    Emu(w.codec);
    const std::string image = Image("ee.rfw", w.image);
    ProgramResult r = Run({"-f", "-write", "ee.rfw"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "\nBegin to Write fw!\r\nWrite fw pass!\r\n" + Prompt());
    EXPECT_EQ(Memory(1, w.bytes), dir_.Read("ee.rfw"));
    const std::string shown = Show();
    EXPECT_NE(shown.find("\"mode\": \"firmware\""), std::string::npos) << shown;
    EXPECT_NE(shown.find(w.version), std::string::npos) << shown;

    r = Run({"-f", "-verify", "ee.rfw"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "\nBegin to Verify fw!\r\nVerify fw pass!\r\n" + Prompt());
  }
}

TEST_F(Station, EepromImageMustNameTheChipExactly) {
  // An IC type whose chip information is 8; the image says 9 (a flash image would pass).
  std::string definition = ReadFileBytes(std::string(LUMATRACE_SOURCE_DIR) + "/resources/icdef/VXQ62.ini");
  const std::size_t at = definition.find("ChipInfo=21");
  ASSERT_NE(at, std::string::npos);
  definition.replace(at, 11, "ChipInfo=8");
  dir_.Write("EIGHT.INI", definition);
  Configure("CheckVIDPID_INI=1\r\nSaveResultToFile=1\r\nLogType=1\r\nIni Type=1\r\n");
  Emu({"create", "--chip", "VXQ62", "--memory", "eeprom16"});
  Image("nine.rfw", {"--chip", "9", "--memory", "eeprom16", "--area", "0", "--size", "32768", "--code", "0"});
  const ProgramResult r = Run({"-f", "-write", "nine.rfw"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "\nBegin to Write fw!\r\nWrite fw fail!\r\n" + Prompt());
  EXPECT_EQ(Memory(1, 16), std::string(16, '\xFF'));
  const std::string log = dir_.Read("burn_result.txt");
  EXPECT_NE(log.find("Fail,    41715:"), std::string::npos) << log;
}

}  // namespace
