#pragma once
// The 6-byte header of a configuration area: boot memory code, signature 0xA5, sub-code and
// chip id, area length (little-endian) and descriptor count.

#include <cstdint>
#include <span>

#include "image/Descriptor.h"

class CDescGlobal : public CDescriptor {
 public:
  static constexpr std::size_t kSize = 6;
  static constexpr std::uint8_t kSignature = 0xA5;

  // Needs 6 bytes; fewer leave every field 0.
  int Parse(std::span<const std::uint8_t> bytes) override;
  int Build(std::span<std::uint8_t> out) override;
  [[nodiscard]] bool HasSignature() const { return signature == kSignature; }

  std::uint8_t bootMemoryCode = 0;
  std::uint8_t signature = 0;
  std::uint8_t subCode = 0;  // bits 0-2 of byte 2
  std::uint8_t chipId = 0;   // bits 3-7 of byte 2
  std::uint16_t areaLength = 0;
  std::uint8_t descriptorCount = 0;
};
