#pragma once
// What the two chip-id bytes at 0xFE21/0xFE22 say about a chip: its family key, whether it has
// a boot-mode register, where that register is, and which pair of registers guards the serial
// flash's write protection.

#include <cstdint>
#include <string>

inline constexpr std::uint32_t kChipIdAddress = 0xFE21;

struct ChipIdentity {
  std::uint8_t b0 = 0;  // byte at 0xFE21
  std::uint8_t b1 = 0;  // byte at 0xFE22

  [[nodiscard]] std::uint16_t Id() const { return static_cast<std::uint16_t>(b1 << 8 | b0); }
  // Both bytes masked with 0xF0.
  [[nodiscard]] std::uint16_t Key() const {
    return static_cast<std::uint16_t>((b1 & 0xF0) << 8 | (b0 & 0xF0));
  }
  // The high byte masked, the low byte whole: 0xB013 and 0xB014 mark the slow chips.
  [[nodiscard]] std::uint16_t Code() const {
    return static_cast<std::uint16_t>((b1 & 0xF0) << 8 | b0);
  }
  [[nodiscard]] bool HasModeRegister() const;
  // Address of the mode byte as the device information reads it.
  [[nodiscard]] std::uint32_t ModeByteAddress() const { return Id() == 0x7110 ? 0xC2A6 : 0xC2A8; }
};

inline constexpr std::uint32_t kModeByteAddress = 0xC2A8;

// "ROM", "SPI", "ROM&&OTP", "SPI&&OTP", "ROM&&SPI" or "Unknown".
[[nodiscard]] std::string ModeText(std::uint8_t modeByte);

// The register pair that lifts and restores the flash's write protection, and the bit used.
struct WriteProtectPair {
  std::uint32_t registerA = 0;
  std::uint32_t registerB = 0;
  std::uint8_t bit = 0x01;
  bool restore = true;  // false for the dual-flash passes, which are not protected again
};

// pass: 0 for the single flash or the first flash of a dual arrangement, 1 for the second.
[[nodiscard]] WriteProtectPair WriteProtectRegisters(const ChipIdentity& chip, bool dualFlash,
                                                     int pass);
