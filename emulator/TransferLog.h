#pragma once
// The bounded record of control transfers a bus object carried (this process only).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "device/usb/UsbSeam.h"

namespace vcodec {

struct TransferRecord {
  std::uint32_t port = 0;
  ControlSetup setup;
  std::vector<std::uint8_t> data;  // bytes sent (OUT) or received (IN)
  std::uint32_t error = kUsbErrorSuccess;
  std::uint32_t transferred = 0;
};

class TransferLog {
 public:
  explicit TransferLog(std::size_t capacity = 200000) : capacity_(capacity) {}

  void Add(TransferRecord record);
  [[nodiscard]] std::vector<TransferRecord> Records() const { return {records_.begin(), records_.end()}; }
  void Clear() { records_.clear(); }
  // The oldest records go first when the log is full.
  void SetCapacity(std::size_t capacity);

 private:
  std::size_t capacity_;
  std::deque<TransferRecord> records_;
};

}  // namespace vcodec
