#include "emulator/TransferLog.h"

namespace vcodec {

void TransferLog::Add(TransferRecord record) {
  if (capacity_ == 0) return;
  while (records_.size() >= capacity_) records_.pop_front();
  records_.push_back(std::move(record));
}

void TransferLog::SetCapacity(std::size_t capacity) {
  capacity_ = capacity;
  while (records_.size() > capacity_) records_.pop_front();
}

}  // namespace vcodec
