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

namespace {

// A definition file for an EEPROM codec: the built-in definition with its memory and size
// changed the way a product's own definition would state them.
std::string EepromDefinition(const char* model, const char* projectType, std::size_t bytes) {
  std::string text = ReadFileBytes(std::string(LUMATRACE_SOURCE_DIR) + "/resources/icdef/" + model + ".ini");
  auto replace = [&](const std::string& key, const std::string& value) {
    const std::size_t at = text.find(key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    text.replace(at, text.find('\r', at) - at, key + "=" + value);
  };
  replace("Project Type", projectType);
  replace("FlashSize", std::to_string(bytes));
  return text;
}

TEST_F(Station, EepromDefinitionsMakeErasesAndDumpsReachTheEeprom) {
  struct DefinedWidth {
    const Width& width;
    const char* model;
    const char* projectType;
  };
  const DefinedWidth widths[] = {{kWidths[0], "VXQ61", "EEPROM8"}, {kWidths[1], "VXQ62", "EEPROM16"}};
  Configure("CheckVIDPID_INI=1\r\nSaveResultToFile=1\r\nLogType=1\r\nIni Type=1\r\n");
  for (const DefinedWidth& d : widths) {
    SCOPED_TRACE(d.projectType);
    std::filesystem::remove(dir_.File("bus"));
    for (const char* other : {"EEPROM8.INI", "EEPROM16.INI"}) std::filesystem::remove(dir_.File(other));
    dir_.Write(std::string(d.projectType) + ".INI", EepromDefinition(d.model, d.projectType, d.width.bytes));
    std::vector<std::string> codec = d.width.codec;
    // The 8-bit erase never drives the protect line: such boards strap it low.
    if (&d.width == &kWidths[0]) codec.push_back("--unprotected");
    Emu(codec);
    std::vector<std::string> imageArgs = d.width.image;
    imageArgs.insert(imageArgs.end(), {"--serial", "EE-0042"});
    Image("ee.rfw", imageArgs);

    // An image names its memory itself; the codec boots it.
    ProgramResult r = Run({"-f", "-write", "ee.rfw"});
    ASSERT_EQ(r.exitCode, 0) << r.out << dir_.Read("burn_result.txt");
    std::string shown = Show();
    EXPECT_NE(shown.find("\"serial\": \"EE-0042\""), std::string::npos) << shown;
    const std::string written = Memory(1, d.width.bytes);

    // Without an image the definition names the memory: the dump is the whole EEPROM.
    r = Run({"-f", "-dumpspi", "dump/ee.bin"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "\nBegin to Dump SPI!\r\nDump SPI pass!\r\n" + Prompt());
    EXPECT_EQ(dir_.Read("dump/ee.bin"), written);

    r = Run({"-f", "-erase"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "\nBegin to Erase!\r\nErase pass!\r\n" + Prompt());
    EXPECT_EQ(Memory(1, d.width.bytes), std::string(d.width.bytes, '\xFF'));
    shown = Show();
    EXPECT_EQ(shown.find("\"mode\": \"firmware\""), std::string::npos) << shown;
  }
}

}  // namespace
