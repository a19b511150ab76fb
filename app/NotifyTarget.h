#pragma once
// A window that receives posted user-interface messages. Posting never blocks; the receiver
// handles the message on its own thread.

#include <cstdint>

class NotifyTarget {
 public:
  virtual ~NotifyTarget() = default;
  virtual void PostUiMessage(std::uint32_t message, std::uintptr_t value, std::intptr_t extra) = 0;
};
