#pragma once
// Records that point at code data: type 15 (code data appended after the last record of the
// area) and type 39 (small cache code, always in the extended header form, its data following
// its 8-byte head). The area supplies the data when it reads them and places it when it builds.

#include <cstdint>
#include <span>
#include <vector>

#include "image/Descriptor.h"

class CDescCodeInfo : public CDescriptor {
 public:
  static constexpr std::uint8_t kType = 15;
  static constexpr std::size_t kLength = 6;
  static constexpr std::size_t kOffsetField = 2;  // where the area patches the data offset

  CDescCodeInfo() : CDescriptor(kType) {}
  int Parse(std::span<const std::uint8_t> record) override;
  // Fails when the record holds no data.
  int Build(std::span<std::uint8_t> out) override;

  std::uint16_t dataOffset = 0;  // from the area start
  std::uint16_t dataLength = 0;
  std::vector<std::uint8_t> data;
};

class CDescSmallCachecode : public CDescriptor {
 public:
  static constexpr std::uint8_t kType = 39;
  static constexpr std::size_t kHeadBytes = 8;

  CDescSmallCachecode() : CDescriptor(kType) {}
  int Parse(std::span<const std::uint8_t> record) override;
  // Always the extended form: a record of 256 bytes or more written with the generic header
  // would read back with the wrong length. Fails when the record holds no data.
  int Build(std::span<std::uint8_t> out) override;

  std::uint16_t dataOffset = 0;  // from the area start
  std::uint16_t dataLength = 0;
  std::vector<std::uint8_t> data;
};
