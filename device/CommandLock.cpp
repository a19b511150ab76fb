#include "device/CommandLock.h"

#include <mutex>

#include "platform/Clock.h"

namespace {

// Short enough that a waiting command starts soon after the holder lets go.
constexpr std::uint32_t kPollMs = 10;

std::mutex g_nameLock;
std::string g_testName;

}  // namespace

std::string CommandLockName() {
  std::lock_guard lock(g_nameLock);
  return g_testName.empty() ? std::string(kCommandLockName) : g_testName;
}

void SetCommandLockNameForTesting(const std::string& name) {
  std::lock_guard lock(g_nameLock);
  g_testName = name;
}

MutexWait WaitCommandLock(NamedMutex& lock, std::uint32_t timeoutMs) {
  const std::uint64_t start = NowMs();
  for (;;) {
    const MutexWait r = lock.Wait(0);
    if (r != MutexWait::kTimedOut) return r;
    if (NowMs() - start >= timeoutMs) return MutexWait::kTimedOut;
    SleepMs(kPollMs);
  }
}
