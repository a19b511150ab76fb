#pragma once
// A system-wide named mutex, recursive for the thread that owns it. A holder that ends while
// owning it leaves it abandoned: the next waiter obtains it and is told so.

#include <cstdint>
#include <memory>
#include <string>

enum class MutexWait {
  kObtained,   // the caller owns the mutex and must Release() it
  kAbandoned,  // the caller owns it, but the previous owner ended while holding it
  kTimedOut,   // not obtained within the time-out
  kFailed,     // the wait itself failed (mutex not open)
};

class NamedMutex {
 public:
  // Opens the mutex of that name, creating it when no process has it yet.
  explicit NamedMutex(const std::string& name);
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  [[nodiscard]] bool IsOpen() const;
  // Blocks at most timeoutMs milliseconds.
  [[nodiscard]] MutexWait Wait(std::uint32_t timeoutMs);
  // Releases one level of ownership of the calling thread.
  void Release();

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The lock that serialises every command to the chip, across processes.
inline constexpr const char* kCommandLockName = "ICOperateSync_2014_3_28";
