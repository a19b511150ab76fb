#pragma once
// A manual-reset event that cuts short the wait of a reset: the window sets it when the open
// device is removed. Waits run on the clock seam (simulated time in tests).

#include <atomic>
#include <cstdint>

class ResetEvent {
 public:
  void Set() { signalled_ = true; }
  void Reset() { signalled_ = false; }
  [[nodiscard]] bool IsSet() const { return signalled_; }
  // True when the event was set within timeoutMs.
  bool Wait(std::uint32_t timeoutMs);

 private:
  std::atomic<bool> signalled_{false};
};
