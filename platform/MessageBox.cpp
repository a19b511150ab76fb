#include "platform/MessageBox.h"

#include <cctype>
#include <mutex>

#include "platform/Terminal.h"

namespace {
std::mutex g_mutex;
MessageBoxHandler g_handler;
}  // namespace

MessageBoxAnswer AskOnConsole(const std::string& text, std::FILE* in, std::FILE* out) {
  std::fprintf(out, "%s [y/N] ", text.c_str());
  std::fflush(out);
  std::string answer;
  for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in)) {
    if (answer.size() < 16) answer.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back())) != 0) answer.pop_back();
  return answer == "y" || answer == "yes" ? MessageBoxAnswer::kYes : MessageBoxAnswer::kNo;
}

MessageBoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                MessageBoxButtons buttons, MessageBoxAnswer consoleAnswer) {
  MessageBoxHandler handler;
  {
    std::lock_guard lock(g_mutex);
    handler = g_handler;
  }
  if (handler) return handler(text, caption, buttons);
  std::fprintf(stderr, "%s%s", caption.c_str(), caption.empty() ? "" : ": ");
  if (buttons == MessageBoxButtons::kYesNo) {
    if (StdinIsTerminal() && StderrIsTerminal()) return AskOnConsole(text, stdin, stderr);
    std::fprintf(stderr, "%s\n(answered %s)\n", text.c_str(), consoleAnswer == MessageBoxAnswer::kYes ? "Yes" : "No");
    return consoleAnswer == MessageBoxAnswer::kYes ? MessageBoxAnswer::kYes : MessageBoxAnswer::kNo;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
  return MessageBoxAnswer::kOk;
}

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(g_mutex);
  g_handler = std::move(handler);
}
