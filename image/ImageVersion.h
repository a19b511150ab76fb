#pragma once
// The version block and the code identification bytes of a firmware image.
//
// Version block, 8 bytes at 0x100C (images of 65536 bytes or more) or 0x11B (smaller ones):
// major/minor nibbles, a build number, three big-endian 16-bit numbers; shown as
// "%01X.%01X%02X.%04X-%04X.%04X". Code identification bytes at 0x1003-0x1007, shown as
// "0x%02X%02X%02X%02X%02X" of the bytes at 0x1003, 0x1005, 0x1004, 0x1007, 0x1006.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

struct ImageVersion {
  std::string text;
  // major, minor, build, and the three 16-bit numbers, in the order of the text.
  std::array<std::uint32_t, 6> numbers{};
};

inline constexpr std::size_t kVersionBlockLarge = 0x100C;
inline constexpr std::size_t kVersionBlockSmall = 0x11B;
inline constexpr std::size_t kLargeImageBytes = 65536;
inline constexpr std::size_t kCodeIdAt = 0x1003;
inline constexpr std::size_t kCodeIdMinImageBytes = 4129;  // images longer than 4128 bytes

[[nodiscard]] std::size_t VersionBlockOffset(std::size_t imageLength);
// Null when the block does not lie inside the image.
[[nodiscard]] std::optional<ImageVersion> DecodeImageVersion(std::span<const std::uint8_t> image);
// Null for images of 4128 bytes or less.
[[nodiscard]] std::optional<std::string> CodeIdentificationText(std::span<const std::uint8_t> image);
