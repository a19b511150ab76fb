#include "device/SyncOperate.h"

#include "app/Trace.h"
#include "device/CommandLock.h"

CSyncOperate::CSyncOperate(NamedMutex& lock, const char* scopeName) : lock_(lock) {
  const MutexWait w = WaitCommandLock(lock_, kCommandLockWaitMs);
  if (w == MutexWait::kObtained) {
    held_ = true;
    return;
  }
  TraceScope scope(scopeName, 0);
  switch (w) {
    case MutexWait::kAbandoned:
      TraceWrite(scope, "%s : WAIT_ABANDONED\n", scopeName);
      lock_.Release();
      break;
    case MutexWait::kTimedOut:
      TraceWrite(scope, "%s wait time out\n", scopeName);
      break;
    default:
      TraceWrite(scope, "%s WAIT_FAILED\n", scopeName);
      break;
  }
}

CSyncOperate::~CSyncOperate() {
  if (held_) lock_.Release();
}
