#pragma once
// The header of a descriptor record: length and type. Three forms exist:
//   generic   byte 0 = length, byte 1 = type
//   extended  FF E7 then a little-endian 16-bit length (type 39 only)
//   ten-bit   byte 0 = length bits 0-7, byte 1 bits 6-7 = length bits 8-9, bits 0-5 = type
//             (the codec setting records, types 27-33, of the VXQ61)

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

struct RecordHeader {
  std::uint16_t length = 0;  // of the whole record, header included
  std::uint8_t type = 0;
  std::uint8_t headerBytes = 2;
};

inline constexpr std::uint8_t kCacheCodeType = 39;
inline constexpr std::uint8_t kChipIdVxq61 = 17;

// Generic reading (with the extended form of type 39). Null when the bytes cannot hold the header.
[[nodiscard]] std::optional<RecordHeader> ReadRecordHeader(std::span<const std::uint8_t> bytes);
// Ten-bit reading of the codec setting records.
[[nodiscard]] std::optional<RecordHeader> ReadTenBitHeader(std::span<const std::uint8_t> bytes);
// How a record is read inside an area of the given chip: the generic reading, except that a
// VXQ61 codec setting record with length bits 8-9 set is read in its ten-bit form, so records of
// 256 bytes and more survive a walk.
[[nodiscard]] std::optional<RecordHeader> ReadAreaRecordHeader(std::span<const std::uint8_t> bytes,
                                                               std::uint8_t chipId);
[[nodiscard]] bool IsTenBitType(std::uint8_t type);

// Writers; false when out is too small or the length does not fit the form.
[[nodiscard]] bool WriteRecordHeader(std::span<std::uint8_t> out, std::size_t length, std::uint8_t type);
[[nodiscard]] bool WriteTenBitHeader(std::span<std::uint8_t> out, std::size_t length, std::uint8_t type);
[[nodiscard]] bool WriteExtendedHeader(std::span<std::uint8_t> out, std::size_t length);
