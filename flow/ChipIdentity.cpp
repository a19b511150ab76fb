#include "flow/ChipIdentity.h"

bool ChipIdentity::HasModeRegister() const {
  switch (Key()) {
    case 0x1010:
    case 0xB010:
    case 0xC010:
    case 0xD010:
    case 0xE010:
    case 0xF010:
    case 0x8050:
      return true;
    case 0x7010:
      return b0 != 0x11;
    default:
      return b0 == 0x56 && b1 == 0xFF;
  }
}

std::string ModeText(std::uint8_t modeByte) {
  switch (modeByte) {
    case 0x00: return "ROM";
    case 0x08: return "SPI";
    case 0x10: return "ROM&&OTP";
    case 0x18: return "SPI&&OTP";
    case 0x20: return "ROM&&SPI";
    default: return "Unknown";
  }
}

WriteProtectPair WriteProtectRegisters(const ChipIdentity& chip, bool dualFlash, int pass) {
  if (!chip.HasModeRegister()) return {0xFEA0, 0xFEA6, 0x01, true};
  if ((chip.b0 == 0x56 && chip.b1 == 0xFF) || chip.Key() == 0x8050) {
    return {0x0404, 0x0406, 0x01, true};
  }
  switch (chip.Key()) {
    case 0x7010: return {0x0650, 0x0652, 0x01, true};
    case 0xE010: return {0x0505, 0x0507, 0x01, true};
    case 0x1010:
      if (!dualFlash) return {0x050C, 0x0512, 0x10, true};
      if (pass == 0) return {0x050A, 0x0510, 0x80, false};
      return {0x050C, 0x0512, 0x10, false};
    default: return {0xFEC0, 0xFEC6, 0x01, true};  // 0xB010, 0xC010, 0xD010, 0xF010
  }
}
