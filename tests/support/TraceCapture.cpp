#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include "platform/DebugChannel.h"

std::vector<std::string> CaptureTrace(const std::function<void()>& fn) {
  EXPECT_TRUE(ListenDebugOutput());
  fn();
  SendDebugOutput("<end>");
  std::vector<std::string> lines;
  for (;;) {
    std::optional<DebugMessage> m = WaitDebugOutput();
    if (!m || m->text == "<end>") break;
    lines.push_back(m->text);
  }
  CloseDebugOutputListener();
  return lines;
}

bool TraceHas(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& l : lines) {
    if (l.find(text) != std::string::npos) return true;
  }
  return false;
}
