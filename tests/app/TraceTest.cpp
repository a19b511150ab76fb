#include "app/Trace.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/DebugChannel.h"
#include "platform/ProcessInfo.h"
#include "tests/support/TraceCapture.h"

namespace {

TEST(DebugPrintTest, OneLineEndingInExactlyOneCrLf) {
  struct Case {
    const char* text;
    const char* expected;
  };
  for (const Case& c : {Case{"plain", "plain\r\n"}, Case{"lf\n", "lf\r\n"},
                        Case{"crlf\r\n", "crlf\r\n"}, Case{"spaces \t \n\n", "spaces\r\n"},
                        Case{"", "\r\n"}, Case{"inner\nline", "inner\nline\r\n"}}) {
    const auto lines = CaptureTrace([&] { DebugPrint("%s", c.text); });
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], c.expected) << '"' << c.text << '"';
  }
}

TEST(DebugPrintTest, CutsAt4093Characters) {
  const std::string exact(4093, 'a');
  const std::string longer(5000, 'b');
  // Multi-byte characters count once each.
  std::string umlauts;
  for (int i = 0; i < 4100; ++i) umlauts += "\xC3\xA4";
  const auto lines = CaptureTrace([&] {
    DebugPrint("%s", exact.c_str());
    DebugPrint("%s", longer.c_str());
    DebugPrint("%s", umlauts.c_str());
  });
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], exact + "\r\n");
  EXPECT_EQ(lines[1], std::string(4093, 'b') + "\r\n");
  EXPECT_EQ(lines[2], umlauts.substr(0, 4093 * 2) + "\r\n");
}

TEST(TraceTest, PrefixedLineAndStartExit) {
  const auto lines = CaptureTrace([] {
    TraceScope scope("CDevFlow::DEV_OpenDevice");
    TraceWrite(scope, "value %d\n", 7);
  });
  ASSERT_EQ(lines.size(), 3u);
  const std::regex prefix(R"(\(([0-9A-F]+)-(-?[0-9]+)\):CDevFlow::DEV_OpenDevice:> )");
  std::smatch m;
  for (const std::string& l : lines) {
    ASSERT_TRUE(std::regex_search(l, m, prefix)) << l;
    EXPECT_EQ(m.position(0), 0);
    EXPECT_EQ(std::stoul(m[1].str(), nullptr, 16), CurrentThreadId());
  }
  EXPECT_TRUE(lines[0].ends_with(":> START --->>>\r\n")) << lines[0];
  EXPECT_TRUE(lines[1].ends_with(":> value 7\r\n")) << lines[1];
  EXPECT_TRUE(lines[2].ends_with(":> EXIT <<<---\r\n")) << lines[2];
}

TEST(TraceTest, ScopeWithoutStartExitAndRawLines) {
  const auto lines = CaptureTrace([] {
    TraceScope scope("CParseArg::Parse_Arg", 0);
    TraceWriteRaw(scope, "raw %s", "text");
    TraceFail(scope, "Fail --- Invalid parameter!\r\n");
  });
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "raw text\r\n");
  EXPECT_EQ(lines[1], "----------------:\r\n") << "trailing space removed by the debug print";
  EXPECT_EQ(lines[2], "Fail --- Invalid parameter!\r\n");
}

TEST(TraceTest, CategoryWithoutCommonBitsIsSilent) {
  const auto lines = CaptureTrace([] {
    TraceScope eight("X::Eight", 1, 8);
    TraceWrite(eight, "never\n");
    TraceWriteRaw(eight, "never\n");
    TraceScope two("X::Two", 0, 2);
    TraceWrite(two, "shown\n");
  });
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(lines[0].ends_with("X::Two:> shown\r\n"));
}

TEST(TraceTest, LineIsCutAt511Characters) {
  const std::string longText(600, 'x');
  const std::string raw510(510, 'r');
  const std::string raw511(511, 's');
  const auto lines = CaptureTrace([&] {
    TraceScope scope("A::B", 0);
    TraceWrite(scope, "%s", longText.c_str());
    TraceWriteRaw(scope, "%s", longText.c_str());
    TraceWriteRaw(scope, "%s\n", raw510.c_str());  // 511 characters ending in LF
    TraceWriteRaw(scope, "%s\n", raw511.c_str());  // the LF is cut away
  });
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].size(), 511u + 2u);
  EXPECT_TRUE(lines[0].starts_with("("));
  EXPECT_EQ(lines[1], std::string(511, 'x') + "\r\n");
  EXPECT_EQ(lines[2], std::string(509, 'r') + "\r\n") << "a full line gives room to CR LF";
  EXPECT_EQ(lines[3], raw511 + "\r\n");
}

TEST(TraceTest, ConcurrentLinesStayWhole) {
  const auto lines = CaptureTrace([] {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([t] {
        TraceScope scope("T::Run", 0);
        for (int i = 0; i < 200; ++i) TraceWrite(scope, "thread %d line %d\n", t, i);
      });
    }
    for (auto& th : threads) th.join();
  });
  ASSERT_EQ(lines.size(), 800u);
  const std::regex whole(R"(\([0-9A-F]+-[0-9-]+\):T::Run:> thread [0-3] line [0-9]+\r\n)");
  for (const std::string& l : lines) EXPECT_TRUE(std::regex_match(l, whole)) << l;
}

}  // namespace
