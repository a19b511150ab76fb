// The command line's argument rules and its result files, byte for byte as stations read them.
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/ConfigIni.h"
#include "app/ParseArg.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageBox.h"
#include "tests/support/TempDir.h"

namespace {

struct ParseCase {
  std::vector<std::string> args;  // after the program
  int result;
  std::uint8_t letter;
  std::string path;
  int deviceIndex;
};

class ParseArgTest : public ::testing::Test {
 protected:
  void SetUp() override { SetExecutableDirectoryForTesting(dir_.path()); }
  void TearDown() override { SetExecutableDirectoryForTesting(""); }

  int Parse(CParseArg& parse, std::vector<std::string> args,
            const std::string& program = "/opt/lumatrace/lumatrace") {
    args.insert(args.begin(), program);
    return parse.Parse_Arg_Normal(args);
  }

  TempDir dir_;
};

TEST_F(ParseArgTest, ArgumentForms) {
  const ParseCase cases[] = {
      {{"-f", "-verify", "fw.rfw"}, 1, kOpVerify, "fw.rfw", 0},
      // Argument 2 is the operation or the image path; "-verify" after it is ignored.
      {{"-f", "fw.rfw", "-verify"}, 1, kOpWrite, "fw.rfw", 0},
      // Options are recognised ignoring case, as the form check compares them.
      {{"-f", "-WRITE", "fw.rfw"}, 1, kOpWrite, "fw.rfw", 0},
      {{"-F", "-Verify", "fw.rfw"}, 1, kOpVerify, "fw.rfw", 0},
      {{"-f", "-erase"}, 1, kOpErase, "", 0},
      {{"-f", "-version"}, 1, kOpVersion, "", 0},
      {{"-f", "-detect", "fw.rfw"}, 1, kOpDetect, "fw.rfw", 0},
      {{"-f", "-dumpotp", "out.bin"}, 1, kOpDumpOtp, "out.bin", 0},
      {{"-f", "-write", "fw.rfw", "-d", "2"}, 1, kOpWrite, "fw.rfw", 2},
      {{"-f", "-write", "fw.rfw", "-D", "x"}, 1, kOpWrite, "fw.rfw", 0},
      {{"-f", "-write", "fw.rfw", "-d"}, 1, kOpWrite, "fw.rfw", 0},
      {{"-f", "-write", "fw.rfw", "-x", "5"}, 1, kOpWrite, "fw.rfw", 0},
      {{"-f", "fw.rfw", "ignored", "-d", "3"}, 1, kOpWrite, "fw.rfw", 3},
      // A mistyped option or a wrong first argument runs nothing.
      {{"-f", "-wirte", "fw.bin"}, 0, kOpNone, "", 0},
      {{"-f", "fw.bin"}, 0, kOpNone, "", 0},
      {{"-g", "-write", "a-f.rfw"}, 0, kOpNone, "", 0},
      // Argument counts outside 3..6 (program included).
      {{"-f"}, 0, kOpNone, "", 0},
      {{"-f", "-write", "fw.rfw", "-d", "1", "extra"}, 0, kOpNone, "", 0},
  };
  for (const ParseCase& c : cases) {
    CParseArg parse;
    std::string shown;
    for (const std::string& a : c.args) shown += a + " ";
    SCOPED_TRACE(shown);
    EXPECT_EQ(Parse(parse, c.args), c.result);
    EXPECT_EQ(parse.m_cOperation, c.letter);
    if (c.result == 1) {
      EXPECT_EQ(parse.m_strFilePath, c.path);
      EXPECT_EQ(parse.m_nDeviceIndex, c.deviceIndex);
    }
    // Only the missing "-f" writes a result file.
    EXPECT_FALSE(std::filesystem::exists(dir_.File(kResultFileName)));
  }
}

TEST_F(ParseArgTest, DumpSpiAsksForSixtyFourKiB) {
  CParseArg parse;
  ASSERT_EQ(Parse(parse, {"-f", "-dumpspi", "out.bin"}), 1);
  EXPECT_EQ(parse.m_cOperation, kOpDumpSpi);
  EXPECT_EQ(parse.m_uRequestedMemSize, 0x10000u);
  CParseArg write;
  ASSERT_EQ(Parse(write, {"-f", "-write", "fw.rfw"}), 1);
  EXPECT_EQ(write.m_uRequestedMemSize, 0u);
}

TEST_F(ParseArgTest, WithoutDashFTheResultFileSaysFailWhateverTheSetting) {
  CParseArg parse;
  parse.m_nSaveResultToFile = 0;
  EXPECT_EQ(Parse(parse, {"-write", "fw.rfw"}), 0);
  EXPECT_EQ(dir_.Read(kResultFileName), "fail");
}

TEST_F(ParseArgTest, ProgramPathHoldingDashFPassesTheFirstCheck) {
  CParseArg parse;
  EXPECT_EQ(Parse(parse, {"-version"}, "/home/op/my-files/lumatrace"), 0);
  // It failed on the argument count, not on the missing "-f": no result file.
  EXPECT_FALSE(std::filesystem::exists(dir_.File(kResultFileName)));
}

TEST_F(ParseArgTest, ResultWordsFollowTheSetting) {
  struct Case {
    int setting;
    bool passed;
    const char* afterOperation;
    const char* afterOpenFailure;
  };
  const Case cases[] = {
      {1, true, "pass", "fail"},
      {1, false, "fail", "fail"},
      {2, true, "TestResult = pass", "TestResult = fail"},
      {2, false, "TestResult = fail", "TestResult = fail"},
      {3, true, "pass", ""},
      {7, false, "fail", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    CParseArg parse;
    parse.m_nSaveResultToFile = c.setting;
    parse.CreateResultFile();
    parse.WriteResultAfterOperation(c.passed);
    EXPECT_EQ(dir_.Read(kResultFileName), c.afterOperation);
    parse.CreateResultFile();
    parse.WriteResultAfterOpenFailure();
    EXPECT_EQ(dir_.Read(kResultFileName), c.afterOpenFailure);
  }
}

TEST(BurnResultRowTest, ColumnsAndPadding) {
  setenv("TZ", "UTC", 1);
  tzset();
  const std::int64_t when = 1796761500;  // 2026-12-08 20:25:00 UTC
  EXPECT_EQ(FormatBurnResultRow(when, true, "ABC123", 0),
            "2026-12-08,       20:25:00,         ABC123,                    Pass,    0:\r\n");
  EXPECT_EQ(FormatBurnResultRow(when, false, "", 41709),
            "2026-12-08,       20:25:00,         ," + std::string(26, ' ') + "Fail,    41709:\r\n");
  // A serial number longer than the column is kept whole.
  const std::string longSerial(30, 'S');
  EXPECT_EQ(FormatBurnResultRow(when, true, longSerial, 0),
            "2026-12-08,       20:25:00,         " + longSerial + ",Pass,    0:\r\n");
}

TEST(BurnResultLogTest, NewFileGetsHeadersAndRowsAppendWithTextModeLineEnds) {
  TempDir dir;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  {
    CParseArg first;
    first.OpenBurnResultLog();
    first.WriteBurnResultRow(true, "SN1", 0);
    first.CloseBurnResultLog();
    CParseArg second;
    second.OpenBurnResultLog();
    second.WriteBurnResultRow(false, "SN2", 41709);
    second.CloseBurnResultLog();
  }
  std::filesystem::current_path(previous);
  const std::string disk = dir.Read(kBurnResultFileName);
  EXPECT_EQ(disk.rfind("Update date       Update Time       Serial number              Result"
                       "   ErrCode\r\r\n================",
                       0),
            0u);
  // Every line ends in CR CR LF: the program writes CR LF through a text-mode file.
  std::size_t lines = 0;
  for (std::size_t at = disk.find('\n'); at != std::string::npos; at = disk.find('\n', at + 1)) {
    ASSERT_GE(at, 2u);
    EXPECT_EQ(disk.substr(at - 2, 2), "\r\r");
    ++lines;
  }
  EXPECT_EQ(lines, 4u);
  EXPECT_NE(disk.find("SN1,"), std::string::npos);
  EXPECT_NE(disk.find("Fail,    41709:\r\r\n"), std::string::npos);
}

TEST(BurnResultLogTest, UnopenableLogShowsTheMessageAndWritesNothing) {
  TempDir dir;
  std::filesystem::create_directory(dir.File(kBurnResultFileName));  // a folder in its place
  std::string shown;
  SetMessageBoxHandler([&](const std::string& text, const std::string&, MessageBoxButtons) {
    shown = text;
    return MessageBoxAnswer::kOk;
  });
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  CParseArg parse;
  parse.OpenBurnResultLog();
  parse.WriteBurnResultRow(true, "SN", 0);
  std::filesystem::current_path(previous);
  SetMessageBoxHandler({});
  EXPECT_EQ(shown, "Can't Open burn_result.txt");
  EXPECT_FALSE(parse.m_fileBurnResult.IsOpen());
}

TEST(ConsoleWriteTest, CutsAt259CharactersAndPrintsOnlyOnceAttached) {
  CParseArg parse;
  testing::internal::CaptureStdout();
  parse.ConsoleWrite("before attach");
  parse.AttachParentConsole();
  parse.ConsoleWrite(std::string(300, 'x'));
  parse.ConsoleWrite("\xC3\xA9" + std::string(300, 'y'));  // cut counts characters
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, std::string(259, 'x') + "\xC3\xA9" + std::string(258, 'y'));
}

}  // namespace
