#include "flow/StopFlag.h"

#include <mutex>

namespace {
std::mutex stopLock;
bool stopRequested = false;
}  // namespace

bool IsStopRequested() {
  std::lock_guard<std::mutex> lock(stopLock);
  return stopRequested;
}

void SetStopRequested(bool stop) {
  std::lock_guard<std::mutex> lock(stopLock);
  stopRequested = stop;
}
