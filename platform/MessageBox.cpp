#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

namespace {
std::mutex g_mutex;
MessageBoxHandler g_handler;
}  // namespace

MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                MessageBoxButtons buttons, MessageBoxAnswer consoleAnswer) {
  MessageBoxHandler handler;
  {
    std::lock_guard lock(g_mutex);
    handler = g_handler;
  }
  if (handler) return handler(text, caption, buttons);
  std::fprintf(stderr, "%s%s%s\n", caption.c_str(), caption.empty() ? "" : ": ", text.c_str());
  if (buttons == MessageBoxButtons::kYesNo) {
    std::fprintf(stderr, "(answered %s)\n", consoleAnswer == MessageBoxAnswer::kYes ? "Yes" : "No");
    return consoleAnswer == MessageBoxAnswer::kYes ? MessageBoxAnswer::kYes : MessageBoxAnswer::kNo;
  }
  return MessageBoxAnswer::kOk;
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(g_mutex);
  g_handler = std::move(handler);
}
