#pragma once
// Scoped hold of the command lock around one command. Wait outcomes:
//   obtained   -> the command runs; released when the scope ends
//   abandoned  -> "%s : WAIT_ABANDONED\n", released at once, the command does not run
//   time-out   -> "%s wait time out\n", the command does not run
//   failed     -> "%s WAIT_FAILED\n", the command does not run
// A command that does not run returns 1 (kResultLockNotTaken).

#include <cstdint>

#include "platform/NamedMutex.h"

class CSyncOperate {
 public:
  CSyncOperate(NamedMutex& lock, const char* scopeName);
  virtual ~CSyncOperate();
  CSyncOperate(const CSyncOperate&) = delete;
  CSyncOperate& operator=(const CSyncOperate&) = delete;

  // True when the command may run.
  [[nodiscard]] bool Held() const { return held_; }

 private:
  NamedMutex& lock_;
  bool held_ = false;
};
