#include "image/DescFields.h"

#include <algorithm>

#include "image/RecordHeader.h"

namespace {
bool IsNumber(const FieldLayout& f) { return f.size == 1 || f.size == 2 || f.size == 4; }
}  // namespace

CDescFields::CDescFields(std::uint8_t recordType, std::span<const FieldLayout> fields)
    : CDescriptor(recordType), fields_(fields) {
  payload_.assign(FixedLength() - 2, 0);
  std::size_t at = 0;
  for (const FieldLayout& f : fields_) {
    if (IsNumber(f)) Write(payload_, at, f, f.initial);
    at += f.size;
  }
}

std::size_t CDescFields::FixedLength() const {
  std::size_t n = 2;
  for (const FieldLayout& f : fields_) n += f.size;
  return n;
}

std::uint32_t CDescFields::Read(std::span<const std::uint8_t> payload, std::size_t at,
                                const FieldLayout& f) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < f.size; ++i) {
    const std::size_t byte = f.bigEndian ? i : f.size - 1 - i;
    v = (v << 8) | payload[at + byte];
  }
  return v;
}

void CDescFields::Write(std::span<std::uint8_t> payload, std::size_t at, const FieldLayout& f,
                        std::uint32_t value) {
  for (std::size_t i = 0; i < f.size; ++i) {
    const std::size_t byte = f.bigEndian ? f.size - 1 - i : i;
    payload[at + byte] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

bool CDescFields::Locate(std::string_view name, std::size_t& at, const FieldLayout*& field) const {
  std::size_t offset = 0;
  for (const FieldLayout& f : fields_) {
    if (name == f.name && IsNumber(f)) {
      at = offset;
      field = &f;
      return true;
    }
    offset += f.size;
  }
  return false;
}

std::uint32_t CDescFields::Field(std::string_view name) const {
  std::size_t at = 0;
  const FieldLayout* field = nullptr;
  return Locate(name, at, field) ? Read(payload_, at, *field) : 0;
}

bool CDescFields::SetField(std::string_view name, std::uint32_t value) {
  std::size_t at = 0;
  const FieldLayout* field = nullptr;
  if (!Locate(name, at, field)) return false;
  Write(payload_, at, *field, value);
  return true;
}

int CDescFields::Parse(std::span<const std::uint8_t> record) {
  if (CDescriptor::Parse(record) == 0 || length < FixedLength()) return 0;
  payload_.assign(record.begin() + 2, record.begin() + length);
  return 1;
}

void CDescFields::AdjustForBuild(std::vector<std::uint8_t>&) const {}

int CDescFields::Build(std::span<std::uint8_t> out) {
  const std::size_t total = payload_.size() + 2;
  if (total > out.size() || !WriteRecordHeader(out, total, type)) return 0;
  std::vector<std::uint8_t> written = payload_;
  AdjustForBuild(written);
  std::copy(written.begin(), written.end(), out.begin() + 2);
  length = static_cast<std::uint16_t>(total);
  return 1;
}
