#pragma once
// The boot memory code in byte 0 of an area header and the memory-type code it stands for.

#include <cstdint>
#include <optional>

#include "image/IcTables.h"

[[nodiscard]] constexpr std::optional<std::uint8_t> MemoryTypeOfBootCode(std::uint8_t code) {
  switch (code) {
    case 0x11: return kMemoryEeprom8;
    case 0x12: return kMemoryEeprom16;
    case 0x30:
    case 0x55:
    case 0x61: return kMemorySerialFlash;
    case 0x40: return kMemoryMtp;
    case 0x60: return kMemoryOtp;
    default: return std::nullopt;
  }
}

// The code an image for a memory type is written with (serial flash: 0x30).
[[nodiscard]] constexpr std::optional<std::uint8_t> BootCodeOfMemoryType(std::uint8_t memoryType) {
  switch (memoryType) {
    case kMemorySerialFlash: return 0x30;
    case kMemoryEeprom8: return 0x11;
    case kMemoryEeprom16: return 0x12;
    case kMemoryMtp: return 0x40;
    case kMemoryOtp: return 0x60;
    default: return std::nullopt;
  }
}

// The boot memory code of a stamped image whose area lies after the code.
inline constexpr std::uint8_t kStampedBootCode = 0x55;
