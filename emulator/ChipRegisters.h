#pragma once
// The chip's internal memory (XDATA) with the registers that have behaviour: the read-only
// chip-id bytes, the one-way OTP lock bit, the boot-mode byte and the flash write-protect
// line, whose register pair depends on the chip family.

#include <cstdint>

#include "emulator/BusLayout.h"

namespace vcodec {

inline constexpr std::uint16_t kChipIdAddress = 0xFE21;
inline constexpr std::uint16_t kModeByteAddress = 0xC2A8;
inline constexpr std::uint16_t kModeByteAddressQ7110 = 0xC2A6;
inline constexpr std::uint16_t kOptionByteAddress = 0xFEC7;
inline constexpr std::uint16_t kOtpLockAddress = 0xFD0C;
inline constexpr std::uint8_t kOtpLockBit = 0x08;

struct WriteProtectPins {
  std::uint16_t a, b;  // register A drives the line, register B gives its level
  std::uint8_t bit;
};

// The pair the chip family wires to the flash's WP# pin.
[[nodiscard]] WriteProtectPins WriteProtectPinsOf(std::uint16_t chipId);

class ChipRegisters {
 public:
  explicit ChipRegisters(DeviceSlot& slot) : slot_(slot) {}

  [[nodiscard]] std::uint8_t Read(std::uint16_t address) const;
  void Write(std::uint16_t address, std::uint8_t value);

  // WP# held low: the flash refuses status-register writes while SRWD is set.
  [[nodiscard]] bool FlashWpAsserted() const;
  [[nodiscard]] bool OtpLocked() const;

  // Power-on values: chip id, option byte, mode byte for the code now running, WP line.
  void PowerOn();
  void SetModeByte(std::uint8_t mode);

 private:
  DeviceSlot& slot_;
};

}  // namespace vcodec
