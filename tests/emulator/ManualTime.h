#pragma once
// A time source that moves only when a test says so (or sleeps on it).

#include <atomic>
#include <cstdint>

#include "emulator/TimeSource.h"

namespace vcodec_test {

class ManualTime : public vcodec::TimeSource {
 public:
  std::uint64_t NowMs() override { return now_; }
  void SleepMs(std::uint32_t ms) override { now_ += ms; }
  void Advance(std::uint64_t ms) { now_ += ms; }

 private:
  std::atomic<std::uint64_t> now_{5000000};  // read by the bus's watcher thread too
};

}  // namespace vcodec_test
