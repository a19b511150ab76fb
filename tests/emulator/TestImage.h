#pragma once
// Small firmware images for the emulator's tests, laid out as the image format prescribes:
// configuration area (header with signature, string and VID/PID records), version block,
// boot tag.

#include <cstdint>
#include <string>
#include <vector>

namespace vcodec_test {

struct ImageRecipe {
  std::size_t size = 0x10000;
  std::size_t areaAt = 0xF000;
  std::uint8_t bootCode = 0x55;     // 0x30/0x55/0x61 flash, 0x11/0x12 EEPROM, 0x60 OTP
  std::uint8_t chipId = 21;         // header chip id (bits 3..7 of byte 2)
  std::uint8_t version[8] = {0x12, 0x34, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
  std::string manufacturer = "Acme Audio";
  std::string product = "Studio Codec";
  std::string serial = "SN0001";
  std::uint16_t vid = 0x3C5E, pid = 0x4C15, rev = 0x0102;
  bool tag = false;                 // write 0x55 0xAA at 0xEFFE
  std::size_t codeLength = 0;       // a code record (extended type 39) of this length first
};

[[nodiscard]] std::vector<std::uint8_t> BuildImage(const ImageRecipe& recipe);

// A 16 KiB image with its area at offset 0 (EEPROM and OTP images, small flash images).
[[nodiscard]] ImageRecipe SmallImageRecipe(std::uint8_t bootCode);

// The configuration area alone (header and records).
[[nodiscard]] std::vector<std::uint8_t> BuildArea(const ImageRecipe& recipe);

}  // namespace vcodec_test
