#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class SystemClock : public Clock {
 public:
  std::uint64_t NowMs() override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  }
  void SleepMs(std::uint32_t ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
};

SystemClock g_systemClock;
std::atomic<Clock*> g_clock{&g_systemClock};

}  // namespace

std::uint64_t NowMs() { return g_clock.load()->NowMs(); }

void SleepMs(std::uint32_t ms) { g_clock.load()->SleepMs(ms); }

void SetClockForTesting(Clock* clock) { g_clock.store(clock != nullptr ? clock : &g_systemClock); }

std::uint64_t SimulatedClock::NowMs() { return std::atomic_ref(now_).load(); }

void SimulatedClock::SleepMs(std::uint32_t ms) { Advance(ms); }

void SimulatedClock::Advance(std::uint64_t ms) { std::atomic_ref(now_).fetch_add(ms); }
