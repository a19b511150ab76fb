#pragma once
// The command line's progress bar for people at a terminal: the step text and percentage that
// the flows post (UM_STATUS, UM_PROGRESS), redrawn in place on stderr. stdout and the result
// files never see it, and runs whose stderr is not a terminal do not get it at all.

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "app/NotifyTarget.h"

// One redraw: "\r[#####...............]  25% Erasing flash" padded to width characters.
[[nodiscard]] std::string FormatProgressLine(std::uint32_t percent, const std::string& step,
                                             std::size_t width = 79);

class ConsoleProgress : public NotifyTarget {
 public:
  explicit ConsoleProgress(std::FILE* out) : out_(out) {}
  ~ConsoleProgress() override;
  void PostUiMessage(std::uint32_t message, std::uintptr_t value, std::intptr_t extra) override;
  // Ends the bar's line so that the next console text starts on a line of its own.
  void Finish();

 private:
  std::FILE* out_;
  std::mutex mutex_;
  std::uint32_t percent_ = 0;
  std::string step_;
  bool drawn_ = false;
};
