#include "image/RecordHeader.h"

#include "image/ByteOrder.h"

namespace {
constexpr std::uint8_t kExtendedMarker = 0xFF;
constexpr std::uint8_t kExtendedType = 0xC0 | kCacheCodeType;
}  // namespace

bool IsTenBitType(std::uint8_t type) { return type >= 27 && type <= 33; }

std::optional<RecordHeader> ReadRecordHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 2) return std::nullopt;
  const unsigned tenBitLength = ((bytes[1] & 0xC0u) << 2) | bytes[0];
  if (tenBitLength == 1023 && (bytes[1] & 0x3F) == kCacheCodeType) {
    if (bytes.size() < 4) return std::nullopt;
    return RecordHeader{GetLe16(bytes, 2), kCacheCodeType, 4};
  }
  return RecordHeader{bytes[0], bytes[1], 2};
}

std::optional<RecordHeader> ReadTenBitHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 2) return std::nullopt;
  const auto length = static_cast<std::uint16_t>(((bytes[1] & 0xC0u) << 2) | bytes[0]);
  return RecordHeader{length, static_cast<std::uint8_t>(bytes[1] & 0x3F), 2};
}

std::optional<RecordHeader> ReadAreaRecordHeader(std::span<const std::uint8_t> bytes,
                                                 std::uint8_t chipId) {
  auto header = ReadRecordHeader(bytes);
  if (header && chipId == kChipIdVxq61 && header->headerBytes == 2 && (bytes[1] & 0xC0) != 0 &&
      IsTenBitType(bytes[1] & 0x3F)) {
    return ReadTenBitHeader(bytes);
  }
  return header;
}

bool WriteRecordHeader(std::span<std::uint8_t> out, std::size_t length, std::uint8_t type) {
  if (out.size() < 2 || length < 2 || length > 0xFF) return false;
  out[0] = static_cast<std::uint8_t>(length);
  out[1] = type;
  return true;
}

bool WriteTenBitHeader(std::span<std::uint8_t> out, std::size_t length, std::uint8_t type) {
  if (out.size() < 2 || length < 2 || length > 1023 || type > 0x3F) return false;
  out[0] = static_cast<std::uint8_t>(length);
  out[1] = static_cast<std::uint8_t>(type | ((length >> 8) << 6));
  return true;
}

bool WriteExtendedHeader(std::span<std::uint8_t> out, std::size_t length) {
  if (out.size() < 4 || length < 4 || length > 0xFFFF) return false;
  out[0] = kExtendedMarker;
  out[1] = kExtendedType;
  PutLe16(out, 2, static_cast<std::uint32_t>(length));
  return true;
}
