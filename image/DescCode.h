#pragma once
// Records that point at code data: type 15 (code data appended after the last record of the
// area) and type 39 (small cache code, always in the extended header form, its data following
// its 8-byte head). The area supplies the data when it reads them and places it when it builds.

#include <cstdint>
#include <span>
#include <vector>

#include "image/Descriptor.h"

// What both kinds hold: where the data lies and the data itself.
class CDescCodeData : public CDescriptor {
 public:
  explicit CDescCodeData(std::uint8_t recordType) : CDescriptor(recordType) {}
  std::uint16_t dataOffset = 0;  // from the area start
  std::uint16_t dataLength = 0;
  std::vector<std::uint8_t> data;
};

class CDescCodeInfo : public CDescCodeData {
 public:
  static constexpr std::uint8_t kType = 15;
  static constexpr std::size_t kLength = 6;
  static constexpr std::size_t kOffsetField = 2;  // where the area patches the data offset

  CDescCodeInfo() : CDescCodeData(kType) {}
  int Parse(std::span<const std::uint8_t> record) override;
  // Fails when the record holds no data.
  int Build(std::span<std::uint8_t> out) override;
};

class CDescSmallCachecode : public CDescCodeData {
 public:
  static constexpr std::uint8_t kType = 39;
  static constexpr std::size_t kHeadBytes = 8;

  CDescSmallCachecode() : CDescCodeData(kType) {}
  int Parse(std::span<const std::uint8_t> record) override;
  // Always the extended form: a record of 256 bytes or more written with the generic header
  // would read back with the wrong length. Fails when the record holds no data.
  int Build(std::span<std::uint8_t> out) override;
};
