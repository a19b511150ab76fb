#include "image/DescGlobal.h"

#include "image/ByteOrder.h"

int CDescGlobal::Parse(std::span<const std::uint8_t> bytes) {
  *this = CDescGlobal{};
  if (bytes.size() < kSize) return 0;
  bootMemoryCode = bytes[0];
  signature = bytes[1];
  subCode = bytes[2] & 0x07;
  chipId = bytes[2] >> 3;
  areaLength = GetLe16(bytes, 3);
  descriptorCount = bytes[5];
  length = kSize;
  seen = 1;
  return 1;
}

int CDescGlobal::Build(std::span<std::uint8_t> out) {
  if (out.size() < kSize) return 0;
  out[0] = bootMemoryCode;
  out[1] = signature;
  out[2] = static_cast<std::uint8_t>((chipId << 3) | (subCode & 0x07));
  PutLe16(out, 3, areaLength);
  out[5] = descriptorCount;
  length = kSize;
  return 1;
}
