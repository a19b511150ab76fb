#include "app/ConfigIni.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "platform/ExecutablePath.h"
#include "platform/FileAttributes.h"
#include "resources/EmbeddedResources.h"
#include "tests/support/TempDir.h"

namespace {

class ConfigIniTest : public testing::Test {
 protected:
  void SetUp() override {
    unsetenv("LUMATRACE_CONFIG");
    SetExecutableDirectoryForTesting(dir_.path());
    DeleteConfigStore();
  }
  void TearDown() override {
    unsetenv("LUMATRACE_CONFIG");
    SetExecutableDirectoryForTesting("");
    DeleteConfigStore();
  }
  TempDir dir_;
};

TEST_F(ConfigIniTest, EmbeddedTextIsByteForByte) {
  const auto bytes = FindEmbeddedResource("ICINI", 3032);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_EQ(text, "[Lumatrace Config]\r\nCheckVIDPID_INI=1\r\nAutoRun=1\r\nCompanyName=\"Halvik\"");
  EXPECT_TRUE(FindEmbeddedResource("ICINI", 9999).empty());
  EXPECT_TRUE(FindEmbeddedResource("BINARY", 3032).empty()) << "types are part of the address";
}

struct KeyDefault {
  const char* key;
  std::int32_t defaultValue;
  std::int32_t effective;
};

TEST_F(ConfigIniTest, EveryKeyReadsItsEffectiveValueFromTheEmbeddedText) {
  CConfigIni config;
  config.LoadConfig();
  const KeyDefault keys[] = {
      {"Debug Log", 0, 0},       {"Ini Type", 0, 0},          {"Lib Type", 0, 0},
      {"LockPort", 0, 0},        {"PortNo", 0, 0},            {"AutoRun", 0, 1},
      {"CheckVIDPID_INI", 0, 1}, {"CheckVIDPID_BIN", 0, 0},   {"ResetToCache", 1, 1},
      {"Normal Reset", 1, 1},    {"SN Function", 0, 0},       {"SaveSN", 0, 0},
      {"SN Address", 0, 0},      {"EraseTimeOut", 10000, 10000}, {"EraseCommandTime", 0, 0},
      {"SaveResultToFile", 0, 0}, {"LogType", 0, 0},          {"Wait Time", 5000, 5000},
      {"Loop Test", 0, 0},       {"RTD3", 0, 0},              {"BCDType", 0, 0},
      {"AutoRunDelay", 0, 0},    {"Customize UI", 0, 0},      {"Remove_Manufacture", 0, 0},
      {"Remove_PPWriteBack", 0, 0},
  };
  for (const KeyDefault& k : keys) {
    EXPECT_EQ(GetConfigInt(k.defaultValue, kConfigSection, k.key), k.effective) << k.key;
  }
  EXPECT_EQ(GetConfigString("", kConfigSection, "OTP Password"), "");
  EXPECT_EQ(GetConfigString("", kConfigSection, "CompanyName"), "\"Halvik\"");
  EXPECT_EQ(GetConfigInt(0, "lumatrace config", "debug log"), 0);
  EXPECT_EQ(GetConfigInt(0, "LUMATRACE CONFIG", "autorun"), 1);
}

TEST_F(ConfigIniTest, SetConfigIntChangesOnlyMemory) {
  CConfigIni config;
  config.LoadConfig();
  SetConfigInt(kConfigSection, "PortNo", 3);
  EXPECT_EQ(GetConfigInt(0, kConfigSection, "PortNo"), 3);
  SetConfigInt(kConfigSection, "PortNo", -5);
  EXPECT_EQ(GetConfigInt(0, kConfigSection, "PortNo"), -5);
  EXPECT_FALSE(FileExists(dir_.File("config.ini")));
}

TEST_F(ConfigIniTest, ReadOnlyConfigIniBecomesWritableAndIsIgnored) {
  const std::string path = dir_.Write("config.ini", "[Lumatrace Config]\r\nDebug Log=1\r\nAutoRun=0\r\n");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  ASSERT_TRUE(IsFileReadOnly(path));
  CConfigIni config;
  config.LoadConfig();
  EXPECT_FALSE(IsFileReadOnly(path));
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u) << "only the owner's write bit is added";
  EXPECT_EQ(GetConfigInt(0, kConfigSection, "Debug Log"), 0);
  EXPECT_EQ(GetConfigInt(0, kConfigSection, "AutoRun"), 1);
  EXPECT_EQ(dir_.Read("config.ini"), "[Lumatrace Config]\r\nDebug Log=1\r\nAutoRun=0\r\n");
}

TEST_F(ConfigIniTest, EnvironmentFileReplacesTheEmbeddedText) {
  const std::string path = dir_.Write("station.ini", "[Lumatrace Config]\nDebug Log=1\nEraseTimeOut=0x100\n");
  setenv("LUMATRACE_CONFIG", path.c_str(), 1);
  CConfigIni config;
  config.LoadConfig();
  EXPECT_EQ(GetConfigInt(0, kConfigSection, "Debug Log"), 1);
  EXPECT_EQ(GetConfigInt(10000, kConfigSection, "EraseTimeOut"), 256);
  EXPECT_EQ(GetConfigInt(0, kConfigSection, "AutoRun"), 0) << "the embedded text is replaced, not merged";
}

TEST_F(ConfigIniTest, UnreadableEnvironmentFileFallsBackWithAMessage) {
  setenv("LUMATRACE_CONFIG", dir_.File("missing.ini").c_str(), 1);
  testing::internal::CaptureStderr();
  CConfigIni config;
  config.LoadConfig();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("cannot read the configuration file"), std::string::npos) << err;
  EXPECT_NE(err.find("missing.ini"), std::string::npos);
  EXPECT_EQ(GetConfigInt(0, kConfigSection, "AutoRun"), 1);
}

TEST_F(ConfigIniTest, NoStoreMeansDefaults) {
  EXPECT_EQ(GetConfigInt(5000, kConfigSection, "Wait Time"), 5000);
  EXPECT_EQ(GetConfigString("x", kConfigSection, "OTP Password"), "x");
}

}  // namespace
