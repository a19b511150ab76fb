#include "emulator/DeviceConfig.h"

namespace vcodec {

const char* ModelName(ChipModel model) {
  switch (model) {
    case ChipModel::kVXQ61: return "VXQ61";
    case ChipModel::kVXQ62: return "VXQ62";
    case ChipModel::kVXQ64: return "VXQ64";
    case ChipModel::kVXQ65: return "VXQ65";
  }
  return "?";
}

std::optional<ChipModel> ParseModel(const std::string& name) {
  for (ChipModel m : {ChipModel::kVXQ61, ChipModel::kVXQ62, ChipModel::kVXQ64, ChipModel::kVXQ65}) {
    if (name == ModelName(m)) return m;
  }
  return std::nullopt;
}

std::uint16_t DefaultChipId(ChipModel model) {
  // Register pairs the built-in IC definitions accept (b0 & 0xF0, b1 & 0xF0).
  switch (model) {
    case ChipModel::kVXQ61: return 0x7011;
    case ChipModel::kVXQ62: return 0xB010;
    case ChipModel::kVXQ64: return 0xF010;
    case ChipModel::kVXQ65: return 0xD011;
  }
  return 0;
}

const char* MemoryName(MemoryKind kind) {
  switch (kind) {
    case MemoryKind::kFlash: return "flash";
    case MemoryKind::kEeprom8: return "eeprom8";
    case MemoryKind::kEeprom16: return "eeprom16";
    case MemoryKind::kOtp: return "otp";
  }
  return "?";
}

std::optional<MemoryKind> ParseMemory(const std::string& name) {
  for (MemoryKind k : {MemoryKind::kFlash, MemoryKind::kEeprom8, MemoryKind::kEeprom16, MemoryKind::kOtp}) {
    if (name == MemoryName(k)) return k;
  }
  return std::nullopt;
}

std::uint32_t DefaultMemorySize(MemoryKind kind) {
  switch (kind) {
    case MemoryKind::kFlash: return 256 * 1024;
    case MemoryKind::kEeprom8: return 2048;
    case MemoryKind::kEeprom16: return 64 * 1024;
    case MemoryKind::kOtp: return 16 * 1024;
  }
  return 0;
}

bool ValidMemorySize(MemoryKind kind, std::uint32_t size) {
  switch (kind) {
    case MemoryKind::kFlash:
      // NOR parts come in powers of two.
      return size >= 64 * 1024 && size <= 2 * 1024 * 1024 && (size & (size - 1)) == 0;
    case MemoryKind::kEeprom8: return size >= 128 && size <= 2048 && (size & (size - 1)) == 0;
    case MemoryKind::kEeprom16: return size >= 4096 && size <= 64 * 1024 && (size & (size - 1)) == 0;
    case MemoryKind::kOtp: return size == 16 * 1024;
  }
  return false;
}

bool HasModeRegister(std::uint16_t chipId) {
  const unsigned b0 = chipId & 0xFF, b1 = chipId >> 8;
  const unsigned key = ((b1 & 0xF0) << 8) | (b0 & 0xF0);
  switch (key) {
    case 0x1010: case 0xB010: case 0xC010: case 0xD010: case 0xE010: case 0xF010: case 0x8050:
      return true;
    case 0x7010: return b0 != 0x11;
    default: return b0 == 0x56 && b1 == 0xFF;
  }
}

}  // namespace vcodec
