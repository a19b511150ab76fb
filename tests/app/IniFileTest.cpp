#include "app/IniFile.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace {

struct IntCase {
  const char* text;
  std::int32_t expected;
};

class GetValueIntTest : public testing::TestWithParam<IntCase> {};

TEST_P(GetValueIntTest, ConvertsLikeStrtoulOn32Bits) {
  CIniFile ini;
  ASSERT_TRUE(ini.SetValue("S", "k", GetParam().text, true));
  EXPECT_EQ(ini.GetValueInt(77, "S", "k"), GetParam().expected) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, GetValueIntTest,
    testing::Values(IntCase{"0xAE00", 44544}, IntCase{"0x10000 ", 65536}, IntCase{"010", 8},
                    IntCase{"", 0}, IntCase{"abc", 0}, IntCase{"-1", -1}, IntCase{"  42", 42},
                    IntCase{"\t+7", 7}, IntCase{"0X1f", 31}, IntCase{"12abc", 12},
                    IntCase{"09", 0},  // octal stops at the 9
                    IntCase{"0x", 0}, IntCase{"0xg", 0}, IntCase{"4294967295", -1},
                    IntCase{"4294967296", -1}, IntCase{"0x100000000", -1},
                    IntCase{"99999999999999999999999", -1}, IntCase{"-99999999999", -1},
                    IntCase{"2147483648", static_cast<std::int32_t>(0x80000000u)},
                    IntCase{"-2147483648", static_cast<std::int32_t>(0x80000000u)},
                    IntCase{"-0x10", -16}, IntCase{"5000", 5000}));

TEST(IniFileTest, DefaultGoesThroughTheConversion) {
  CIniFile ini;
  EXPECT_EQ(ini.GetValueInt(10000, "Lumatrace Config", "EraseTimeOut"), 10000);
  EXPECT_EQ(ini.GetValueInt(-1, "S", "k"), -1);
  ini.SetValue("S", "present", "", true);
  EXPECT_EQ(ini.GetValueInt(5, "S", "present"), 0) << "an empty stored value is not the default";
}

// Parses text and returns the store.
CIniFile Parse(const std::string& text, bool* result = nullptr) {
  CIniFile ini;
  const bool ok = ini.ReadFromText(text);
  if (result != nullptr) *result = ok;
  return ini;
}

TEST(IniFileTest, NothingIsTrimmed) {
  const CIniFile ini = Parse("[S]\r\nAutoRun = 1\r\n");
  EXPECT_EQ(ini.GetValue("S", "AutoRun ", "def"), " 1");
  EXPECT_EQ(ini.GetValue("S", "AutoRun", "def"), "def");
}

TEST(IniFileTest, LineClassification) {
  const CIniFile ini = Parse(
      "[S]\n"
      "NoEquals\n"
      "k=v;not a comment#either\n"
      ";c=1 is a comment\n"
      "#hash comment\n"
      "[S2] x=1 ]\n"
      "in2=yes\n"
      "[broken\n"
      "still2=yes\n");
  EXPECT_EQ(ini.GetValue("S", "NoEquals", "def"), "");
  EXPECT_EQ(ini.GetValueInt(9, "S", "NoEquals"), 0);
  EXPECT_EQ(ini.GetValue("S", "k", ""), "v;not a comment#either");
  EXPECT_EQ(ini.GetValue("S", ";c", "absent"), "absent");
  ASSERT_EQ(ini.Sections()[0].comments.size(), 2u);
  EXPECT_EQ(ini.Sections()[0].comments[0], "c=1 is a comment");
  EXPECT_EQ(ini.Sections()[0].comments[1], "hash comment");
  // "[" before every "=" makes a header named up to the last "]".
  EXPECT_EQ(ini.FindSection("S2] x=1 "), 1);
  EXPECT_EQ(ini.GetValue("S2] x=1 ", "in2", ""), "yes");
  // A "[" without a closing "]" is ignored and the section stays.
  EXPECT_EQ(ini.GetValue("S2] x=1 ", "still2", ""), "yes");
}

TEST(IniFileTest, HeaderCommentsAndValuesBeforeAnySection) {
  bool ok = false;
  const CIniFile ini = Parse(";top\nk=1\n[A]\n", &ok);
  EXPECT_TRUE(ok);
  ASSERT_EQ(ini.HeaderComments().size(), 1u);
  EXPECT_EQ(ini.HeaderComments()[0], "top");
  EXPECT_EQ(ini.FindSection(""), 0) << "a value line before any header creates the empty section";
  EXPECT_EQ(ini.GetValueInt(0, "", "k"), 1);
}

TEST(IniFileTest, LookupIgnoresAsciiCaseOnlyAndFirstMatchWins) {
  const CIniFile ini = Parse(
      "[lumatrace config]\r\nDebug Log=1\r\ndebug log=2\r\n[LUMATRACE CONFIG]\r\nOther=3\r\n");
  EXPECT_EQ(ini.GetValueInt(0, "Lumatrace Config", "DEBUG LOG"), 2)
      << "the second equal name replaces the value of the first";
  EXPECT_EQ(ini.SectionNames().size(), 2u);
  EXPECT_EQ(ini.GetValueInt(0, "Lumatrace Config", "Other"), 3)
      << "values of a repeated header go to the first section of that name";
  EXPECT_EQ(ini.Sections()[1].valueNames.size(), 0u);
  // Only A-Z fold: a non-ASCII byte must match exactly.
  CIniFile bytes;
  bytes.SetValue("S", "\xC3\x84", "x", true);
  EXPECT_EQ(bytes.GetValue("S", "\xC3\xA4", "none"), "none");
}

TEST(IniFileTest, CaseSensitiveWhenAsked) {
  CIniFile ini;
  ini.caseInsensitive = false;
  ini.SetValue("S", "Key", "1", true);
  EXPECT_EQ(ini.GetValue("S", "key", "none"), "none");
  EXPECT_EQ(ini.GetValue("s", "Key", "none"), "none");
}

TEST(IniFileTest, SetValueRules) {
  CIniFile ini;
  EXPECT_FALSE(ini.SetValue("S", "k", "1", false)) << "no section and no create";
  EXPECT_TRUE(ini.SetValue("S", "k", "1", true));
  EXPECT_TRUE(ini.SetValue("S", "k", "2", false)) << "replacing needs no create";
  EXPECT_FALSE(ini.SetValue("S", "new", "3", false));
  EXPECT_EQ(ini.GetValue("S", "k", ""), "2");
  ini.allowDuplicateValues = true;
  EXPECT_TRUE(ini.SetValue("S", "k", "4", false));
  EXPECT_EQ(ini.Sections()[0].valueNames.size(), 2u);
  EXPECT_EQ(ini.GetValue("S", "k", ""), "2") << "lookup still returns the first";
  EXPECT_EQ(ini.FindValue(5, "k"), -1);
  EXPECT_EQ(ini.GetValue(-1, "k", "d"), "d");
  EXPECT_FALSE(ini.AddSectionComment("missing", "c"));
}

TEST(IniFileTest, NonPrintableFirstByteStopsAndKeepsWhatWasRead) {
  struct Case {
    std::string text;
    const char* message;
  };
  for (const Case& c : {Case{"[S]\nk=1\n\tx=2\nafter=3\n", "Failing on char 9\n"},
                        Case{"[S]\nk=1\n\xEFx=2\n", "Failing on char -17\n"},
                        Case{"[S]\nk=1\n\x7Fx\n", "Failing on char 127\n"}}) {
    CIniFile ini;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ini.ReadFromText(c.text));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    EXPECT_EQ(ini.GetValueInt(0, "S", "k"), 1);
    EXPECT_EQ(ini.FindValue(0, "after"), -1);
  }
}

TEST(IniFileTest, CrLfAndRunsOfLineFeeds) {
  bool ok = false;
  const CIniFile ini = Parse("\n\n[S]\r\n\r\n\n\na=1\r\nb=2", &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(ini.GetValue("S", "a", ""), "1");
  EXPECT_EQ(ini.GetValue("S", "b", ""), "2");
  EXPECT_EQ(ini.Sections()[0].valueNames.size(), 2u);
}

TEST(IniFileTest, ResultIsWhetherASectionExists) {
  bool ok = true;
  Parse(";only a comment\n", &ok);
  EXPECT_FALSE(ok);
  Parse("", &ok);
  EXPECT_FALSE(ok);
}

TEST(IniFileTest, LinesLongerThan259BytesAreSkippedWithAMessage) {
  const std::string value259(259 - 2, 'v');  // "k=" + 257 bytes = 259 bytes
  const std::string value260(260 - 2, 'w');
  testing::internal::CaptureStdout();
  const CIniFile ini = Parse("[S]\nk=" + value259 + "\nlong=" + value260 + "x\nafter=1\n");
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_EQ(ini.GetValue("S", "k", ""), value259);
  EXPECT_EQ(ini.GetValue("S", "long", "absent"), "absent") << "never stored cut";
  EXPECT_EQ(ini.GetValueInt(0, "S", "after"), 1) << "the parse goes on";
  EXPECT_NE(printed.find("Skipping a line of 264 bytes"), std::string::npos) << printed;
}

TEST(IniFileTest, ReadFromFileUsesTheSameRules) {
  TempDir dir;
  const std::string path = dir.Write("ic.ini", "[Vendor Info M1]\r\nConfigAddress=0xF000\r\n\tbad\r\n");
  CIniFile ini(path);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ini.ReadFromFile());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Failing on char 9\n");
  EXPECT_EQ(ini.GetValueInt(0, "Vendor Info M1", "ConfigAddress"), 0xF000);

  CIniFile missing(dir.File("none.ini"));
  missing.SetValue("Keep", "k", "1", true);
  EXPECT_FALSE(missing.ReadFromFile());
  EXPECT_EQ(missing.GetValue("Keep", "k", ""), "1") << "store unchanged";
}

}  // namespace
