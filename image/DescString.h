#pragma once
// String records (types 1, 2, 3, 6, 7, and any type through CDescString): the payload is a
// USB-style string, inner length (characters + 2), inner type 3, then one byte per character in
// the ANSI code page.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "image/Descriptor.h"

class CDescString : public CDescriptor {
 public:
  static constexpr std::size_t kMaxChars = 53;
  static constexpr std::uint8_t kInnerType = 3;

  explicit CDescString(std::uint8_t recordType) : CDescriptor(recordType) {}

  // The characters taken are bounded by the record length and by kMaxChars; an inner length
  // below 2 is corrupt.
  int Parse(std::span<const std::uint8_t> record) override;
  int Build(std::span<std::uint8_t> out) override;

  // False (nothing changed) for more than kMaxChars bytes.
  bool SetString(std::string_view ansiBytes);
  void Clear() { chars_.clear(); }
  // The stored bytes, as written.
  [[nodiscard]] const std::string& Chars() const { return chars_; }
  // The characters up to the first zero byte (or the record end).
  [[nodiscard]] std::string Text() const;

 private:
  std::string chars_;
  std::uint8_t innerType_ = kInnerType;
};

template <std::uint8_t Type>
class CDescStringOf : public CDescString {
 public:
  CDescStringOf() : CDescString(Type) {}
};

using CDescStringManu = CDescStringOf<1>;
using CDescStringProd = CDescStringOf<2>;
using CDescStringSN = CDescStringOf<3>;
using CDescStringUBistName = CDescStringOf<6>;
using CDescStringIAD = CDescStringOf<7>;
