#include "app/ConsoleProgress.h"

#include "app/Utf8.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"

std::string FormatProgressLine(std::uint32_t percent, const std::string& step, std::size_t width) {
  constexpr std::size_t kBar = 24;
  if (percent > 100) percent = 100;
  const std::size_t filled = kBar * percent / 100;
  char number[8];
  std::snprintf(number, sizeof number, "%3u%%", static_cast<unsigned>(percent));
  std::string line = "[" + std::string(filled, '#') + std::string(kBar - filled, '.') + "] " +
                     number + " " + step;
  Utf8Truncate(line, width);
  const std::size_t chars = Utf8Length(line);
  if (chars < width) line.append(width - chars, ' ');
  return "\r" + line;
}

ConsoleProgress::~ConsoleProgress() { Finish(); }

void ConsoleProgress::PostUiMessage(std::uint32_t message, std::uintptr_t value, std::intptr_t) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (message == UM_PROGRESS) {
    percent_ = static_cast<std::uint32_t>(value);
  } else if (message == UM_STATUS) {
    const char* text = TextOfId(static_cast<int>(value));
    step_ = text != nullptr ? text : "";
  } else {
    return;
  }
  std::fputs(FormatProgressLine(percent_, step_).c_str(), out_);
  std::fflush(out_);
  drawn_ = true;
}

void ConsoleProgress::Finish() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!drawn_) return;
  std::fputs("\n", out_);
  std::fflush(out_);
  drawn_ = false;
}
