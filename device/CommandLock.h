#pragma once
// The system-wide command lock: its name and a bounded wait that runs on the clock seam, so
// that a 10 s wait for another process costs no real time under a simulated clock.

#include <cstdint>
#include <string>

#include "platform/NamedMutex.h"

inline constexpr std::uint32_t kCommandLockWaitMs = 10000;

// kCommandLockName, unless a test chose a name of its own (tests run in parallel).
[[nodiscard]] std::string CommandLockName();
void SetCommandLockNameForTesting(const std::string& name);  // empty restores the real name

// Waits at most timeoutMs (clock seam) for the lock; polls between tries.
[[nodiscard]] MutexWait WaitCommandLock(NamedMutex& lock, std::uint32_t timeoutMs);
