#include "image/DescCode.h"

#include <algorithm>

#include "image/ByteOrder.h"
#include "image/RecordHeader.h"

int CDescCodeInfo::Parse(std::span<const std::uint8_t> record) {
  if (CDescriptor::Parse(record) == 0 || length < kLength) return 0;
  dataOffset = GetLe16(record, 2);
  dataLength = GetLe16(record, 4);
  return 1;
}

int CDescCodeInfo::Build(std::span<std::uint8_t> out) {
  if (data.empty() || data.size() > 0xFFFF || out.size() < kLength ||
      !WriteRecordHeader(out, kLength, type)) {
    return 0;
  }
  dataLength = static_cast<std::uint16_t>(data.size());
  PutLe16(out, 2, dataOffset);
  PutLe16(out, 4, dataLength);
  length = kLength;
  return 1;
}

int CDescSmallCachecode::Parse(std::span<const std::uint8_t> record) {
  const auto header = ReadRecordHeader(record);
  if (!header || header->length > record.size()) return 0;
  // A record in the generic form keeps its fields right after the 2-byte header.
  const std::size_t fields = header->headerBytes;
  if (header->length < fields + 4) return 0;
  length = header->length;
  seen = 1;
  dataOffset = GetLe16(record, fields);
  dataLength = GetLe16(record, fields + 2);
  return 1;
}

int CDescSmallCachecode::Build(std::span<std::uint8_t> out) {
  const std::size_t total = kHeadBytes + data.size();
  if (data.empty() || total > 0xFFFF || total > out.size() || !WriteExtendedHeader(out, total)) {
    return 0;
  }
  dataLength = static_cast<std::uint16_t>(data.size());
  PutLe16(out, 4, dataOffset);
  PutLe16(out, 6, dataLength);
  std::copy(data.begin(), data.end(), out.begin() + kHeadBytes);
  length = static_cast<std::uint16_t>(total);
  extLength = length;
  return 1;
}
