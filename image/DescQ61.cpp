#include "image/DescQ61.h"

#include <algorithm>

#include "image/ByteOrder.h"
#include "image/RecordHeader.h"

int CDescI2SCodecSetting::Parse(std::span<const std::uint8_t> record) {
  const auto header = ReadTenBitHeader(record);
  if (!header || header->length < 4 || header->length > record.size()) return 0;
  length = header->length;
  type = header->type;
  seen = 1;
  data.assign(record.begin() + 2, record.begin() + (length - 2));
  delay = GetBe16(record, length - 2u);
  return 1;
}

int CDescI2SCodecSetting::Build(std::span<std::uint8_t> out) {
  const std::size_t total = data.size() + 4;
  if (total > out.size() || !WriteTenBitHeader(out, total, type)) return 0;
  std::copy(data.begin(), data.end(), out.begin() + 2);
  PutBe16(out, total - 2, delay);
  length = static_cast<std::uint16_t>(total);
  return 1;
}
