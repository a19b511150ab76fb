#include "flow/VersionText.h"

#include "app/StringPrintf.h"

namespace {

std::uint16_t WordLe(std::span<const std::uint8_t, kStatusRecordSize> s, std::size_t at) {
  return static_cast<std::uint16_t>(s[at] | s[at + 1] << 8);
}

std::uint16_t WordBe(std::span<const std::uint8_t, kRomVersionRecordSize> r, std::size_t at) {
  return static_cast<std::uint16_t>(r[at] << 8 | r[at + 1]);
}

// Descriptor B stands in for A when A's code type is 0 and B's is a real one.
bool UsesDescriptorB(std::span<const std::uint8_t, kStatusRecordSize> s) {
  const std::uint8_t b = s[72] & 0x0F;
  return (s[64] & 0x0F) == 0 && b != 0 && b != 0x0B;
}

// "%01X.%01X%02X.%04X-%04X.%04X"
std::string DottedVersion(DeviceVersion& v, unsigned major, unsigned minor, unsigned build,
                          unsigned w1, unsigned w2, unsigned w3) {
  v.parts = {static_cast<std::uint16_t>(major), static_cast<std::uint16_t>(minor),
             static_cast<std::uint16_t>(build), static_cast<std::uint16_t>(w1),
             static_cast<std::uint16_t>(w2), static_cast<std::uint16_t>(w3)};
  return StringPrintf("%01X.%01X%02X.%04X-%04X.%04X", major, minor, build, w1, w2, w3);
}

}  // namespace

bool ModeUsesRomVersionRecord(std::uint8_t modeByte) {
  return modeByte == 0x10 || modeByte == 0x18 || modeByte == 0x20;
}

std::uint8_t StatusCodeType(std::span<const std::uint8_t, kStatusRecordSize> status) {
  return UsesDescriptorB(status) ? (status[72] & 0x0F) : (status[64] & 0x0F);
}

DeviceVersion ComputeDeviceVersion(std::span<const std::uint8_t, kStatusRecordSize> s,
                                   std::span<const std::uint8_t, kRomVersionRecordSize> r,
                                   std::uint8_t modeByte) {
  DeviceVersion v;
  const bool useB = UsesDescriptorB(s);
  if (ModeUsesRomVersionRecord(modeByte)) {
    v.text = DottedVersion(v, r[12] >> 4, r[12] & 0x0F, r[13], WordBe(r, 14), WordBe(r, 16),
                           WordBe(r, 18));
  } else {
    const std::uint8_t descriptor = useB ? s[72] : s[64];
    v.kind = descriptor >> 4 == 2 ? 1 : descriptor >> 4 == 3 ? 2 : 0;
    if (v.kind == 1) {
      v.parts = {WordLe(s, 76), WordLe(s, 78), 0, 0, 0, 0};
      v.text = StringPrintf("0x%02X%02X-%02X%02X", s[77], s[76], s[79], s[78]);
    } else if (v.kind == 2) {
      v.text = DottedVersion(v, s[79] >> 4, s[79] & 0x0F, s[78], WordLe(s, 76), WordLe(s, 82),
                             WordLe(s, 80));
    } else {
      const std::uint8_t byteA = useB ? s[75] : s[67];
      const std::uint16_t wordA = useB ? WordLe(s, 78) : WordLe(s, 70);
      v.parts = {byteA, wordA, static_cast<std::uint16_t>(s[5] << 8 | s[4]), 0, 0, 0};
      v.text = StringPrintf("0x%02X-%02X%02X-%02X%02X", byteA, wordA & 0xFF, wordA >> 8, s[5], s[4]);
    }
  }
  if (v.kind == 1 || v.kind == 2) {
    v.compare = v.text;
  } else {
    const std::size_t at = useB ? 75 : 67;
    v.compare = StringPrintf("0x%02X-%02X%02X-%02X%02X", s[at], s[at + 1], s[at + 2], s[at + 3], s[at + 4]);
  }
  return v;
}
