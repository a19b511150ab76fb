#pragma once
// The chip's command engine, shared by both entry points: checks a command as the chip's code
// does (memory present, range, length, protection, lock) and moves its data to and from the
// memories. Results are VCMD status codes; kStsNoErr means accepted.

#include <cstdint>

#include "emulator/BusLayout.h"
#include "emulator/ChipCommand.h"

namespace vcodec {

class Chip {
 public:
  Chip(DeviceSlot& slot, std::uint64_t nowMs) : slot_(slot), nowMs_(nowMs) {}

  // Accepts or refuses a command; commands without a data phase take effect here.
  [[nodiscard]] std::uint8_t Begin(const Command& cmd);
  // Bytes [offset, offset + n) of an accepted command's data phase.
  [[nodiscard]] std::uint8_t In(const Command& cmd, std::uint32_t offset, std::uint8_t* out,
                                std::uint32_t n);
  [[nodiscard]] std::uint8_t Out(const Command& cmd, std::uint32_t offset, const std::uint8_t* in,
                                 std::uint32_t n);

  // Set by an accepted reset command; the bus acts on it after the transfer.
  [[nodiscard]] ResetRequest reset() const { return reset_; }

 private:
  [[nodiscard]] std::uint8_t CheckMemory(const Command& cmd) const;
  std::uint8_t StatusByte(std::uint32_t block, std::uint32_t index) const;

  DeviceSlot& slot_;
  std::uint64_t nowMs_;
  ResetRequest reset_ = ResetRequest::kNone;
};

}  // namespace vcodec
