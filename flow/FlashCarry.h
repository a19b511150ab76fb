#pragma once
// What a flash download keeps from the chip's old contents: the "P" record of some products'
// configuration area, and the 4 KiB sector at 0x1F000 that the chip erase would destroy.

#include <cstdint>
#include <span>
#include <vector>

inline constexpr std::uint32_t kConfigAreaOffset = 0xF000;
inline constexpr std::uint32_t kConfigAreaBytes = 4096;
inline constexpr std::uint32_t kKeptSectorAddress = 0x1F000;
inline constexpr std::uint32_t kKeptSectorBytes = 4096;

enum class PRecordCarry {
  kCarried,
  kNoDeviceCode,     // the device's area does not start with 0x55 ("SPI code not exist.")
  kNoDeviceRecord,   // the device's area has no type-0x50 record
  kPayloadTooLong,   // more than 16 bytes: not carried
  kNoImageArea,      // the image has no readable area at 0xF000
  kImageLengthDiffers,  // the image's own record has another length: left as it is
  kNoRoom,           // no room after the image's last record
};

// Copies the device's "P" record (first long record of type 0x50) into the image's area at
// 0xF000: over the image's own type-0x50 record, or appended after its last record with the
// count at 0xF005 raised. Every walk stays inside the 4096 bytes and inside the image.
[[nodiscard]] PRecordCarry CarryPRecord(std::span<const std::uint8_t> deviceArea,
                                        std::span<std::uint8_t> image);

// Puts the device's sector at 0x1F000 into the image, extending a shorter image with 0xFF to
// 0x20000 so that the sector survives the erase.
void KeepSectorInImage(std::span<const std::uint8_t, kKeptSectorBytes> sector,
                       std::vector<std::uint8_t>& image);
