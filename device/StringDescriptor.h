#pragma once
// USB string descriptors (outside input): bLength, type 3, UTF-16LE characters.

#include <cstddef>
#include <cstdint>
#include <string>

// The text as UTF-8. The characters taken are bounded by the bytes received and by bLength;
// false (and an empty text) when fewer than 2 bytes arrived, bLength is below 2 or the type
// is not 3.
[[nodiscard]] bool DecodeStringDescriptor(const std::uint8_t* data, std::size_t received, std::string* text);

// Reads string descriptor `index` in language 0x0409. Index 0 names no string: empty text.
[[nodiscard]] bool ReadStringDescriptor(std::uint64_t deviceId, std::uint8_t index, std::string* text);
