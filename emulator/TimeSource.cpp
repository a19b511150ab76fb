#include "emulator/TimeSource.h"

#include <time.h>

#include <cerrno>

namespace vcodec {
namespace {

class MonotonicTime : public TimeSource {
 public:
  std::uint64_t NowMs() override {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
  }
  void SleepMs(std::uint32_t ms) override {
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

TimeSource& SystemTime() {
  static MonotonicTime source;
  return source;
}

}  // namespace vcodec
