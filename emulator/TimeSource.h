#pragma once
// Time as the virtual codec sees it: re-enumeration delays and busy periods are measured on
// it. The emulator links nothing of the program, so the owner hands in its clock (the program's
// adapter is ProgramTimeSource() of device/usb/EmulatorBackend.h).

#include <cstdint>

namespace vcodec {

class TimeSource {
 public:
  virtual ~TimeSource() = default;
  // Milliseconds on a monotonic scale shared by every process of the machine.
  [[nodiscard]] virtual std::uint64_t NowMs() = 0;
  virtual void SleepMs(std::uint32_t ms) = 0;
};

// The machine's monotonic clock, for owners without a clock of their own (the program and the
// tool use ProgramTimeSource(), so that tests can put them on simulated time).
TimeSource& SystemTime();

}  // namespace vcodec
