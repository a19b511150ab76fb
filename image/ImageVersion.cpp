#include "image/ImageVersion.h"

#include <cstdio>

#include "image/ByteOrder.h"

std::size_t VersionBlockOffset(std::size_t imageLength) {
  return imageLength >= kLargeImageBytes ? kVersionBlockLarge : kVersionBlockSmall;
}

std::optional<ImageVersion> DecodeImageVersion(std::span<const std::uint8_t> image) {
  const std::size_t at = VersionBlockOffset(image.size());
  if (at + 8 > image.size()) return std::nullopt;
  ImageVersion v;
  v.numbers = {static_cast<std::uint32_t>(image[at] >> 4), static_cast<std::uint32_t>(image[at] & 0x0F),
               image[at + 1], GetBe16(image, at + 2), GetBe16(image, at + 4), GetBe16(image, at + 6)};
  char text[40];
  std::snprintf(text, sizeof text, "%01X.%01X%02X.%04X-%04X.%04X", v.numbers[0], v.numbers[1],
                v.numbers[2], v.numbers[3], v.numbers[4], v.numbers[5]);
  v.text = text;
  return v;
}

std::optional<std::string> CodeIdentificationText(std::span<const std::uint8_t> image) {
  if (image.size() < kCodeIdMinImageBytes) return std::nullopt;
  const auto* b = image.data() + kCodeIdAt;
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X%02X%02X%02X%02X", b[0], b[2], b[1], b[4], b[3]);
  return std::string(text);
}
