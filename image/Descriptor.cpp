#include "image/Descriptor.h"

#include <algorithm>

#include "image/RecordHeader.h"

int CDescriptor::Parse(std::span<const std::uint8_t> record) {
  const auto header = ReadRecordHeader(record);
  if (!header || header->length < header->headerBytes || header->length > record.size()) return 0;
  length = header->length;
  type = header->type;
  seen = 1;
  return 1;
}

int CDescDummy::Parse(std::span<const std::uint8_t> record) {
  if (record.size() < 2) return 0;
  // The area has already framed the record (in whatever header form the chip uses).
  const auto header = ReadRecordHeader(record);
  type = header ? header->type : record[1];
  length = static_cast<std::uint16_t>(record.size());
  seen = 1;
  bytes_.assign(record.begin(), record.end());
  return 1;
}

int CDescDummy::Build(std::span<std::uint8_t> out) {
  if (bytes_.size() > out.size()) return 0;
  std::copy(bytes_.begin(), bytes_.end(), out.begin());
  length = static_cast<std::uint16_t>(bytes_.size());
  return 1;
}
