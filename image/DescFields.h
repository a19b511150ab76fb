#pragma once
// Records made of a fixed list of payload fields (numbers of 1, 2 or 4 bytes, little- or
// big-endian, and opaque byte blocks). The payload is kept as read, so bytes the class does not
// name (a record longer than its fixed size) are written back unchanged.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "image/Descriptor.h"

struct FieldLayout {
  const char* name;
  std::uint16_t size;  // 1, 2 or 4 for numbers; anything else is a byte block
  bool bigEndian;
  std::uint32_t initial;
};

constexpr FieldLayout U8(const char* name, std::uint32_t initial = 0) { return {name, 1, false, initial}; }
constexpr FieldLayout Le16(const char* name, std::uint32_t initial = 0) { return {name, 2, false, initial}; }
constexpr FieldLayout Be16(const char* name, std::uint32_t initial = 0) { return {name, 2, true, initial}; }
constexpr FieldLayout Le32(const char* name) { return {name, 4, false, 0}; }
constexpr FieldLayout Be32(const char* name) { return {name, 4, true, 0}; }
constexpr FieldLayout Block(const char* name, std::uint16_t size) { return {name, size, false, 0}; }

class CDescFields : public CDescriptor {
 public:
  CDescFields(std::uint8_t recordType, std::span<const FieldLayout> fields);

  int Parse(std::span<const std::uint8_t> record) override;
  int Build(std::span<std::uint8_t> out) override;

  // Record length of the class: header plus the named fields.
  [[nodiscard]] std::size_t FixedLength() const;
  // Value of a numeric field (0 for an unknown name or a block).
  [[nodiscard]] std::uint32_t Field(std::string_view name) const;
  // False for an unknown name or a block.
  bool SetField(std::string_view name, std::uint32_t value);
  [[nodiscard]] const std::vector<std::uint8_t>& Payload() const { return payload_; }

 protected:
  // The payload as the record is written; classes with writing rules adjust it.
  virtual void AdjustForBuild(std::vector<std::uint8_t>& payload) const;
  [[nodiscard]] static std::uint32_t Read(std::span<const std::uint8_t> payload, std::size_t at,
                                          const FieldLayout& f);
  static void Write(std::span<std::uint8_t> payload, std::size_t at, const FieldLayout& f,
                    std::uint32_t value);
  // Offset of a field in the payload; false for an unknown name.
  bool Locate(std::string_view name, std::size_t& at, const FieldLayout*& field) const;

 private:
  std::span<const FieldLayout> fields_;
  std::vector<std::uint8_t> payload_;
};

// A record class defined entirely by its type and field table.
template <std::uint8_t Type, const auto& Fields>
class CDescFixed : public CDescFields {
 public:
  CDescFixed() : CDescFields(Type, Fields) {}
};
