// Questions without a window: asked on the console when a person is there, otherwise answered
// the way the asking flow chose for unattended runs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/MessageBox.h"
#include "platform/Terminal.h"

namespace {

MessageBoxAnswer Ask(const std::string& typed, std::string* shown) {
  std::string input = typed;
  std::FILE* in = fmemopen(input.data(), input.size() == 0 ? 1 : input.size(), "r");
  if (input.empty()) std::fgetc(in);  // an empty stream: end of input at once
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  const MessageBoxAnswer answer = AskOnConsole("Continue?", in, out);
  std::fclose(out);
  std::fclose(in);
  *shown = std::string(buffer, size);
  std::free(buffer);
  return answer;
}

TEST(ConsoleQuestion, OnlyAnExplicitYesIsYes) {
  struct Case {
    const char* typed;
    MessageBoxAnswer answer;
  };
  const Case cases[] = {{"y\n", MessageBoxAnswer::kYes},   {"YES\n", MessageBoxAnswer::kYes},
                        {"yes \r\n", MessageBoxAnswer::kYes}, {"\n", MessageBoxAnswer::kNo},
                        {"n\n", MessageBoxAnswer::kNo},    {"yess\n", MessageBoxAnswer::kNo},
                        {"", MessageBoxAnswer::kNo},       {"y", MessageBoxAnswer::kYes},
                        {"no\ny\n", MessageBoxAnswer::kNo}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    std::string shown;
    EXPECT_EQ(Ask(c.typed, &shown), c.answer);
    EXPECT_EQ(shown, "Continue? [y/N] ");
  }
}

TEST(ConsoleQuestion, UnattendedRunsGetTheFlowsAnswerAndAHandlerTakesOver) {
  // Run by hand at a terminal this would rightly ask; under the test runner nothing waits.
  if (StdinIsTerminal() && StderrIsTerminal()) GTEST_SKIP() << "standard input is a terminal";
  EXPECT_EQ(ShowMessageBox("Go on?", "", MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo), MessageBoxAnswer::kNo);
  EXPECT_EQ(ShowMessageBox("Go on?", "", MessageBoxButtons::kYesNo, MessageBoxAnswer::kYes), MessageBoxAnswer::kYes);
  std::string asked;
  SetMessageBoxHandler([&](const std::string& text, const std::string&, MessageBoxButtons) {
    asked = text;
    return MessageBoxAnswer::kYes;
  });
  EXPECT_EQ(ShowMessageBox("Go on?", "", MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo), MessageBoxAnswer::kYes);
  SetMessageBoxHandler({});
  EXPECT_EQ(asked, "Go on?");
}

}  // namespace
