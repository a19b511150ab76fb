// Runs the real program from a directory of its own, so that the files it keeps beside the
// executable (DebugLog.txt, config.ini, Log.txt) belong to the test.
#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "app/AppContext.h"
#include "app/RunMode.h"
#include "app/ToolVersion.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"
#include "platform/FileAttributes.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

class ProgramCopy {
 public:
  ProgramCopy() {
    path_ = dir_.File("lumatrace");
    std::filesystem::copy_file(BuiltProgram("lumatrace"), path_);
  }
  ProgramResult Run(const std::vector<std::string>& args, const std::string& config = "") {
    ProgramOptions options;
    options.env["LUMATRACE_EMULATOR"] = dir_.File("no-bus");
    if (!config.empty()) options.env["LUMATRACE_CONFIG"] = dir_.Write("station.ini", config);
    options.timeout = std::chrono::seconds(60);
    return RunProgram(path_, args, options);
  }
  TempDir& dir() { return dir_; }

 private:
  TempDir dir_;
  std::string path_;
};

TEST(StartupTest, DebugLogHoldsTheTraceOfTheRunAndEndsWithExitLine) {
  ProgramCopy program;
  const ProgramResult r = program.Run({"-f", "-version"}, "[Lumatrace Config]\r\nDebug Log=1\r\n");
  ASSERT_FALSE(r.timedOut);
  const std::string log = program.dir().Read("DebugLog.txt");
  EXPECT_NE(log.find("CLumatraceApp::InitInstance:> START --->>>\r\n"), std::string::npos) << log;
  EXPECT_TRUE(log.ends_with("Exit Debug Thread\r\n")) << log;
}

TEST(StartupTest, NoDebugLogWithoutTheKey) {
  ProgramCopy program;
  const ProgramResult r = program.Run({"-f", "-version"});
  ASSERT_FALSE(r.timedOut);
  EXPECT_FALSE(FileExists(program.dir().File("DebugLog.txt")));
}

TEST(StartupTest, ReadOnlyFilesBesideTheProgramBecomeWritable) {
  ProgramCopy program;
  for (const char* name : {"config.ini", "Log.txt"}) {
    const std::string p = program.dir().Write(name, "[Lumatrace Config]\r\nAutoRun=0\r\n");
    ASSERT_EQ(chmod(p.c_str(), 0444), 0);
  }
  (void)program.Run({"-f", "-version"});
  EXPECT_FALSE(IsFileReadOnly(program.dir().File("config.ini")));
  EXPECT_FALSE(IsFileReadOnly(program.dir().File("Log.txt")));
  EXPECT_EQ(program.dir().Read("Log.txt"), "[Lumatrace Config]\r\nAutoRun=0\r\n");
}

TEST(RunModeTest, DecidesFromTheArgumentText) {
  struct Case {
    std::vector<std::string> args;
    bool commandLine;
  };
  const Case cases[] = {
      {{"lumatrace"}, false},
      {{"lumatrace", "/forcerestart"}, false},
      {{"lumatrace", "/FORCERESTART"}, false},
      {{"lumatrace", "/ForceRestart"}, false},
      {{"lumatrace", "/forcerestart", "x"}, true},
      {{"lumatrace", "-f"}, true},
      {{"lumatrace", "fw.rfw"}, true},
      {{"lumatrace", ""}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCommandLineRun(ArgumentText(c.args)), c.commandLine) << ArgumentText(c.args);
  }
  EXPECT_EQ(ArgumentText({"p", "-f", "my file.rfw", ""}), "-f \"my file.rfw\" \"\"");
}

TEST(ToolVersionTest, ShortForms) {
  EXPECT_EQ(ShortToolVersion("2.61.9600.56"), "2.61.56");
  EXPECT_EQ(ShortToolVersion("1.0.0.1"), "1.0.1");
  EXPECT_EQ(ShortToolVersion("10.20.30.40.50"), "10.20.40.50");
  EXPECT_EQ(ShortToolVersion("2.61.9600"), "2.61.9600");
  EXPECT_EQ(ShortToolVersion(""), "");
}

TEST(ToolVersionTest, FieldHoldsAtMost15Characters) {
  ReadToolVersion();
  EXPECT_STREQ(toolVersion, ShortToolVersion(LUMATRACE_FILE_VERSION).c_str());
  EXPECT_EQ(toolVersion[15], '\0');
}

TEST(NotifyUiTest, LastErrorCodeRule) {
  struct Recorder : NotifyTarget {
    void PostUiMessage(std::uint32_t m, std::uintptr_t v, std::intptr_t) override {
      posts.emplace_back(m, v);
    }
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> posts;
  } window;
  lastErrorCode = 0;
  NotifyUi(UM_PROGRESS, 30);
  EXPECT_EQ(lastErrorCode, 30) << "progress passes through lastErrorCode";
  NotifyUi(UM_SUCCESS, IDS_ERASE_FLASH_SUCCEED);
  EXPECT_EQ(lastErrorCode, 41752);
  NotifyUi(UM_WORKER_EXIT, 5);
  EXPECT_EQ(lastErrorCode, 41752) << "the worker's exit message leaves it";
  for (int id : {41751, 41755, 41851, 41854, 41910, 41913, 41931}) {
    NotifyUi(UM_ERROR, IDS_COMPARE_DATA_FAIL);
    NotifyUi(UM_SUCCESS, static_cast<std::uintptr_t>(id));
    EXPECT_EQ(lastErrorCode, 0) << id;
  }
  EXPECT_EQ(NotifyWindow(), nullptr);
  App().mainDialog = &window;
  NotifyUi(UM_ERROR, IDS_COMPARE_DATA_FAIL);
  App().mainDialog = nullptr;
  ASSERT_EQ(window.posts.size(), 1u);
  EXPECT_EQ(window.posts[0], std::make_pair(std::uint32_t{UM_ERROR}, std::uintptr_t{41709}));
  EXPECT_EQ(lastErrorCode, 41709);
  lastErrorCode = 0;
}

TEST(TextIdsTest, TextsAreThoseOfTheStringTable) {
  EXPECT_STREQ(TextOfId(41500), "Not Support!");
  EXPECT_STREQ(TextOfId(41714), "The Vid/Pid does not Match!");
  EXPECT_STREQ(TextOfId(41802), "Read EERPOM Fail!");
  EXPECT_STREQ(TextOfId(41918), "OTP Locked,Can't Program!");
  EXPECT_STREQ(TextOfId(42041), "Cann't find correct option");
  EXPECT_EQ(TextOfId(41731), nullptr);
  EXPECT_EQ(TextOfId(0), nullptr);
  EXPECT_FALSE(IsFinalSuccessId(41752));
  EXPECT_FALSE(IsFinalSuccessId(41929));
}

}  // namespace
