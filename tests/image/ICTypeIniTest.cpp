#include "image/ICTypeIni.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppContext.h"
#include "image/IcTables.h"
#include "platform/ExecutablePath.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ICTypeIniTest, StartUpWithIniTypeZeroLoadsTheVxq62Definition) {
  const auto startup = CreateStartupIcDefinition(0);
  CICTypeIni& ic = *startup;
  EXPECT_EQ(ic.fileList, (std::vector<std::string>{"VXQ61.INI", "VXQ62.INI", "VXQ64.INI", "VXQ65.INI"}));
  EXPECT_EQ(ic.icName, "VXQ62");
  EXPECT_EQ(ic.GetDefaultImageId(), 3018);  // "FFU_Q62": the text of resource 2031
  EXPECT_EQ(ic.GetRegisterChipInfo(), 21);
}

TEST(ICTypeIniTest, AnUnknownCurrentNameFallsBackToTheVxq61Definition) {
  CICTypeIni ic(0);
  ic.currentFileName = "vxq64.ini";  // compared exactly: lower case is not "VXQ64.INI"
  ic.LoadCurrentIcDefinition();
  EXPECT_EQ(ic.icName, "VXQ61");
}

TEST(ICTypeIniTest, BuiltInDefinitionsCarryTheirAreaValues) {
  struct Case {
    int index;
    const char* icName;
    int imageId;
    int chipInfo;
    int configAddress;
    int configSize;
  };
  const Case cases[] = {{0, "VXQ61", 3012, 17, 0xAE00, 512},
                        {1, "VXQ62", 3018, 21, 0xF000, 4096},
                        {2, "VXQ62", 3020, 24, 0xF000, 4096},
                        {3, "VXQ62", 3023, 25, 0xF000, 4096}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    CICTypeIni ic(0);
    ic.SelectIcDefinition(c.index);
    ic.ReadIcHeader();
    EXPECT_EQ(ic.icName, c.icName);
    EXPECT_EQ(ic.GetDefaultImageId(), c.imageId);
    EXPECT_EQ(ic.GetRegisterChipInfo(), c.chipInfo);
    EXPECT_EQ(ic.GetVendorInfo("ConfigAddress"), c.configAddress);
    EXPECT_EQ(ic.GetConfigSize(), c.configSize);
    EXPECT_EQ(ic.GetVendorInfo("TagAddress"), 0xEFFE);
  }
}

// The device-open flow tries every definition in turn until one matches the chip's registers.
int MatchingDefinition(CICTypeIni& ic, std::uint8_t r1, std::uint8_t r2) {
  for (int i = 0; i < ic.DefinitionCount(); ++i) {
    if (ic.SelectAndMatchIcDefinition(r1, r2, i)) return i;
  }
  return -1;
}

TEST(ICTypeIniTest, RegisterPairsMatchTheirModel) {
  struct Case {
    std::uint8_t r1, r2;
    int index;
    int chipInfo;
  };
  const Case cases[] = {{0x00, 0x00, 0, 17}, {0x10, 0x70, 0, 17}, {0x10, 0xB0, 1, 21},
                        {0x10, 0xF0, 2, 24}, {0x10, 0xC0, 2, 24}, {0x10, 0xD0, 3, 25},
                        {0x10, 0xA0, -1, 0}, {0x70, 0x10, -1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.r1) << "," << int(c.r2));
    CICTypeIni ic(0);
    ic.BuildIcDefinitionList();
    EXPECT_EQ(MatchingDefinition(ic, c.r1, c.r2), c.index);
    EXPECT_EQ(ic.chipInfo, c.chipInfo);
    if (c.index >= 0) {
      EXPECT_EQ(ic.register2, c.r2);
    }
  }
}

TEST(ICTypeIniTest, OnlyRegisterSectionsZeroToFifteenAreConsulted) {
  CICTypeIni ic = DefinitionFromText(
      "[Camera_Register_0F]\nICRegister1=1\nICRegister2=2\nChipInfo=9\n"
      "[Camera_Register_10]\nICRegister1=3\nICRegister2=4\nChipInfo=8\n");
  EXPECT_FALSE(ic.MatchChipRegisters(3, 4));
  EXPECT_EQ(ic.register1, 0xFF);  // unchanged by a failed match
  EXPECT_TRUE(ic.MatchChipRegisters(1, 2));
  EXPECT_EQ(ic.chipInfo, 9);
}

TEST(ICTypeIniTest, BusWordsSetTheBusCodeAndUnknownWordsLeaveIt) {
  struct Case {
    const char* word;
    std::uint8_t before;
    std::uint8_t after;
  };
  const Case cases[] = {{"USB", 2, 0}, {"PCIE", 0, 1}, {"MIPI", 0, 2}, {"pcie", 2, 2}, {"SPI", 1, 1}, {"", 1, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    App().busType = c.before;
    (void)DefinitionFromText(std::string("[Lumatrace Config]\nBus Type=") + c.word + "\n");
    EXPECT_EQ(App().busType, c.after);
  }
  App().busType = 0;
}

TEST(ICTypeIniTest, IniTypeOneListsDefinitionFilesBesideTheExecutable) {
  TempDir dir;
  SetExecutableDirectoryForTesting(dir.path());
  dir.Write("config.ini", "[x]\n");
  dir.Write("Config.INI", "[Lumatrace Config]\nIc Name=FROMFILE\n");
  dir.Write("notes.txt", "");
  std::filesystem::create_directory(dir.File("sub.ini"));
  CICTypeIni ic(1);
  ic.BuildIcDefinitionList();
  EXPECT_EQ(ic.fileList, std::vector<std::string>{"CONFIG.INI"});
  ic.LoadCurrentIcDefinition();
  EXPECT_EQ(ic.currentFileName, "CONFIG.INI");
  EXPECT_EQ(ic.icName, "FROMFILE");
  SetExecutableDirectoryForTesting({});
}

TEST(ICTypeIniTest, IniTypeOneWithoutFilesLoadsNothing) {
  TempDir dir;
  SetExecutableDirectoryForTesting(dir.path());
  CICTypeIni ic(1);
  ic.BuildIcDefinitionList();
  ic.LoadCurrentIcDefinition();
  EXPECT_EQ(ic.currentFileName, "");
  EXPECT_FALSE(ic.MatchChipRegisters(0, 0));
  EXPECT_EQ(ic.GetConfigSize(), 0);
  SetExecutableDirectoryForTesting({});
}

}  // namespace
