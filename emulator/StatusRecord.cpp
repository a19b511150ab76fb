#include "emulator/StatusRecord.h"

#include <cstdio>
#include <cstring>

#include "emulator/DeviceConfig.h"

namespace vcodec {
namespace {

constexpr char kSignature[8] = {'N', 'O', 'V', 'I', 'K', 'E', 'N', 0};

void StatusRecord(const DeviceSlot& slot, std::uint8_t rec[104]) {
  std::memset(rec, 0, 104);
  std::memcpy(rec + 24, kSignature, 8);
  std::uint8_t rom[8];
  RomVersion(slot, rom);
  if (slot.runState == static_cast<std::uint32_t>(RunState::kFirmware)) {
    // Code descriptor: version kind 3 (dotted text), code type 1 (downloaded code).
    const std::uint8_t* v = slot.identity.version;
    rec[4] = v[1];
    rec[5] = static_cast<std::uint8_t>(v[0] & 0x3F);
    rec[64] = 0x31;
    rec[79] = v[0];
    rec[78] = v[1];
    rec[76] = v[3];  // the three numbers, little-endian here, big-endian in the image
    rec[77] = v[2];
    rec[82] = v[5];
    rec[83] = v[4];
    rec[80] = v[7];
    rec[81] = v[6];
  } else {
    // ROM code: version kind 0, code type 0.
    rec[4] = rom[7];
    rec[5] = 0x00;
    rec[64] = 0x00;
    rec[67] = rom[0];
    rec[70] = rom[3];
    rec[71] = rom[2];
  }
}

}  // namespace

void RomVersion(const DeviceSlot& slot, std::uint8_t version[8]) {
  const std::uint8_t model = static_cast<std::uint8_t>(slot.config.model);
  const std::uint8_t v[8] = {0x10, 0x01, 0x00, static_cast<std::uint8_t>(0x61 + model), 0x00, 0x00, 0x00, 0x01};
  std::memcpy(version, v, 8);
}

void ReadStatusBlock(const DeviceSlot& slot, std::uint32_t block, std::uint8_t out[8]) {
  std::memset(out, 0, 8);
  if (block < 13) {
    std::uint8_t rec[104];
    StatusRecord(slot, rec);
    std::memcpy(out, rec + block * 8, 8);
  } else if (block >= 128 && block < 132) {
    std::uint8_t area[32] = {};
    if (slot.identity.hasVersion != 0) {
      std::memcpy(area + 12, slot.identity.version, 8);
    } else {
      RomVersion(slot, area + 12);
    }
    std::memcpy(out, area + (block - 128) * 8, 8);
  }
}

}  // namespace vcodec

namespace vcodec {

std::string HostVersionText(const DeviceSlot& slot) {
  const std::uint16_t id = static_cast<std::uint16_t>(slot.config.chipId);
  std::uint8_t mode = 0;
  if (HasModeRegister(id)) mode = slot.xdata[id == 0x7110 ? 0xC2A6 : 0xC2A8];
  char text[64];
  if (mode == 0x10 || mode == 0x18 || mode == 0x20) {
    std::uint8_t r[32];
    for (std::uint32_t b = 0; b < 4; ++b) ReadStatusBlock(slot, 128 + b, r + 8 * b);
    std::snprintf(text, sizeof text, "%01X.%01X%02X.%04X-%04X.%04X", r[12] >> 4, r[12] & 0x0F, r[13],
                  (r[14] << 8) | r[15], (r[16] << 8) | r[17], (r[18] << 8) | r[19]);
    return text;
  }
  std::uint8_t s[104];
  for (std::uint32_t b = 0; b < 13; ++b) ReadStatusBlock(slot, b, s + 8 * b);
  const bool useB = (s[64] & 0x0F) == 0 && (s[72] & 0x0F) != 0 && (s[72] & 0x0F) != 0x0B;
  const std::uint8_t v = useB ? s[72] : s[64];
  auto word = [&](int at) { return s[at] | (s[at + 1] << 8); };
  if ((v >> 4) == 2) {
    std::snprintf(text, sizeof text, "0x%02X%02X-%02X%02X", s[77], s[76], s[79], s[78]);
  } else if ((v >> 4) == 3) {
    std::snprintf(text, sizeof text, "%01X.%01X%02X.%04X-%04X.%04X", s[79] >> 4, s[79] & 0x0F, s[78],
                  word(76), word(82), word(80));
  } else {
    const std::uint8_t byteA = useB ? s[75] : s[67];
    const int wordA = useB ? word(78) : word(70);
    std::snprintf(text, sizeof text, "0x%02X-%02X%02X-%02X%02X", byteA, wordA & 0xFF, wordA >> 8, s[5], s[4]);
  }
  return text;
}

}  // namespace vcodec
