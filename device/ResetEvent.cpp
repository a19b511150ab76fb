#include "device/ResetEvent.h"

#include <algorithm>

#include "platform/Clock.h"

namespace {
constexpr std::uint32_t kPollMs = 20;
}

bool ResetEvent::Wait(std::uint32_t timeoutMs) {
  const std::uint64_t start = NowMs();
  for (;;) {
    if (signalled_) return true;
    const std::uint64_t elapsed = NowMs() - start;
    if (elapsed >= timeoutMs) return false;
    SleepMs(static_cast<std::uint32_t>(std::min<std::uint64_t>(kPollMs, timeoutMs - elapsed)));
  }
}
