#include "image/DescString.h"

#include <algorithm>

#include "image/RecordHeader.h"

int CDescString::Parse(std::span<const std::uint8_t> record) {
  if (CDescriptor::Parse(record) == 0 || length < 4) return 0;
  const std::uint8_t inner = record[2];
  if (inner < 2) return 0;
  const std::size_t n = std::min<std::size_t>({inner - 2u, length - 4u, kMaxChars});
  innerType_ = record[3];
  chars_.assign(reinterpret_cast<const char*>(record.data() + 4), n);
  return 1;
}

int CDescString::Build(std::span<std::uint8_t> out) {
  const std::size_t total = chars_.size() + 4;
  if (chars_.size() > kMaxChars || total > out.size() || !WriteRecordHeader(out, total, type)) {
    return 0;
  }
  out[2] = static_cast<std::uint8_t>(chars_.size() + 2);
  out[3] = innerType_;
  std::copy(chars_.begin(), chars_.end(), out.begin() + 4);
  length = static_cast<std::uint16_t>(total);
  return 1;
}

bool CDescString::SetString(std::string_view ansiBytes) {
  if (ansiBytes.size() > kMaxChars) return false;
  chars_.assign(ansiBytes);
  return true;
}

std::string CDescString::Text() const { return chars_.substr(0, chars_.find('\0')); }
