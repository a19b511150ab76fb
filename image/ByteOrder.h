#pragma once
// Reading and writing the little- and big-endian numbers of image records. Callers bound the
// offsets; these helpers only combine bytes.

#include <cstddef>
#include <cstdint>
#include <span>

[[nodiscard]] inline std::uint16_t GetLe16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
[[nodiscard]] inline std::uint16_t GetBe16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>((b[at] << 8) | b[at + 1]);
}
inline void PutLe16(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutBe16(std::span<std::uint8_t> b, std::size_t at, std::uint32_t v) {
  b[at] = static_cast<std::uint8_t>(v >> 8);
  b[at + 1] = static_cast<std::uint8_t>(v);
}
