#pragma once
// Time as the device layer and the emulator see it. Tests install a simulated clock whose
// sleeps advance time at once, so that time-outs of many seconds run in no time; the emulator
// uses the same clock for its re-enumeration delays.

#include <cstdint>

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic scale (the same scale in every process of the machine).
  [[nodiscard]] virtual std::uint64_t NowMs() = 0;
  virtual void SleepMs(std::uint32_t ms) = 0;
};

[[nodiscard]] std::uint64_t NowMs();
void SleepMs(std::uint32_t ms);

// Replaces the clock (null restores the system clock).
void SetClockForTesting(Clock* clock);

// A clock that only moves when slept on (or advanced).
class SimulatedClock : public Clock {
 public:
  explicit SimulatedClock(std::uint64_t startMs = 1000000) : now_(startMs) {}
  std::uint64_t NowMs() override;
  void SleepMs(std::uint32_t ms) override;
  void Advance(std::uint64_t ms);

 private:
  std::uint64_t now_;
};
