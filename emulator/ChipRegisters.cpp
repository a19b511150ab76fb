#include "emulator/ChipRegisters.h"

#include "emulator/DeviceConfig.h"

namespace vcodec {

WriteProtectPins WriteProtectPinsOf(std::uint16_t chipId) {
  const unsigned b0 = chipId & 0xFF, b1 = chipId >> 8;
  const unsigned key = ((b1 & 0xF0) << 8) | (b0 & 0xF0);
  if (!HasModeRegister(chipId)) return {0xFEA0, 0xFEA6, 0x01};
  if ((b0 == 0x56 && b1 == 0xFF) || key == 0x8050) return {0x0404, 0x0406, 0x01};
  switch (key) {
    case 0x7010: return {0x0650, 0x0652, 0x01};
    case 0xE010: return {0x0505, 0x0507, 0x01};
    case 0x1010: return {0x050C, 0x0512, 0x10};  // single-flash arrangement
    default: return {0xFEC0, 0xFEC6, 0x01};
  }
}

std::uint8_t ChipRegisters::Read(std::uint16_t address) const { return slot_.xdata[address]; }

void ChipRegisters::Write(std::uint16_t address, std::uint8_t value) {
  if (address == kChipIdAddress || address == kChipIdAddress + 1) return;  // mask ROM
  if (address == kOtpLockAddress) {
    // The lock is a fuse: it can be set, never cleared.
    value = static_cast<std::uint8_t>(value | (slot_.xdata[address] & kOtpLockBit));
    if ((value & kOtpLockBit) != 0) slot_.otpLockFuse = 1;
  }
  slot_.xdata[address] = value;
}

bool ChipRegisters::FlashWpAsserted() const {
  const WriteProtectPins pins = WriteProtectPinsOf(static_cast<std::uint16_t>(slot_.config.chipId));
  const bool driven = (slot_.xdata[pins.a] & pins.bit) != 0;
  const bool high = (slot_.xdata[pins.b] & pins.bit) != 0;
  return driven && !high;
}

bool ChipRegisters::OtpLocked() const { return (slot_.xdata[kOtpLockAddress] & kOtpLockBit) != 0; }

void ChipRegisters::PowerOn() {
  const std::uint16_t id = static_cast<std::uint16_t>(slot_.config.chipId);
  slot_.xdata[kChipIdAddress] = static_cast<std::uint8_t>(id & 0xFF);
  slot_.xdata[kChipIdAddress + 1] = static_cast<std::uint8_t>(id >> 8);
  slot_.xdata[kOptionByteAddress] = static_cast<std::uint8_t>(slot_.config.optionByte);
  if (slot_.otpLockFuse != 0) slot_.xdata[kOtpLockAddress] |= kOtpLockBit;
  const WriteProtectPins pins = WriteProtectPinsOf(id);
  slot_.xdata[pins.a] = static_cast<std::uint8_t>(slot_.xdata[pins.a] | pins.bit);
  if (slot_.config.flashProtected != 0) {
    slot_.xdata[pins.b] = static_cast<std::uint8_t>(slot_.xdata[pins.b] & ~pins.bit);
  } else {
    slot_.xdata[pins.b] = static_cast<std::uint8_t>(slot_.xdata[pins.b] | pins.bit);
  }
}

void ChipRegisters::SetModeByte(std::uint8_t mode) {
  if (!HasModeRegister(static_cast<std::uint16_t>(slot_.config.chipId))) return;
  slot_.xdata[kModeByteAddress] = mode;
  if (slot_.config.chipId == 0x7110) slot_.xdata[kModeByteAddressQ7110] = mode;
}

}  // namespace vcodec
