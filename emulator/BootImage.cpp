#include "emulator/BootImage.h"

#include <algorithm>

namespace vcodec {
namespace {

constexpr std::size_t kTagAddress = 0xEFFE;
constexpr std::size_t kOtpDataEnd = 0x3F60;
constexpr std::size_t kVdTable = 0x3F70;
constexpr std::size_t kEccTable = 0x3FC0;

std::size_t AreaAddress(ChipModel model) { return model == ChipModel::kVXQ61 ? 0xAE00 : 0xF000; }

bool HasArea(const std::uint8_t* mem, std::size_t size, std::size_t offset) {
  return offset + 6 <= size && mem[offset + 1] == 0xA5;
}

bool AllFf(const std::uint8_t* mem, std::size_t from, std::size_t to) {
  return std::all_of(mem + from, mem + to, [](std::uint8_t b) { return b == 0xFF; });
}

// The version block sits at 0x100C in images of 64 KiB or more, at 0x11B in smaller ones.
// Memory does not record the image length: an area at the model's address means a large
// image; an image with its area at 0 counts as small unless it holds data past 16 KiB or only
// the large image's block is written.
void TakeVersion(const std::uint8_t* mem, std::size_t size, std::size_t areaAt, BootIdentity* id) {
  constexpr std::size_t kLarge = 0x100C, kSmall = 0x11B;
  std::size_t at = kLarge;
  if (areaAt == 0) {
    const bool dataPast16K = size > 0x4000 && !AllFf(mem, 0x4000, std::min<std::size_t>(size, 0x10000));
    const bool onlyLarge = size >= kLarge + 8 && !AllFf(mem, kLarge, kLarge + 8) && AllFf(mem, kSmall, kSmall + 8);
    if (!dataPast16K && !onlyLarge) at = kSmall;
  }
  if (at + 8 <= size) id->version = std::vector<std::uint8_t>(mem + at, mem + at + 8);
}

std::string StringPayload(const std::uint8_t* rec, std::size_t len) {
  // Payload: inner length (characters + 2), inner type 3, one byte per character.
  if (len < 4) return {};
  const std::size_t inner = rec[2];
  if (inner < 2) return {};
  const std::size_t chars = std::min<std::size_t>(inner - 2, len - 4);
  std::string text;
  for (std::size_t i = 0; i < chars && rec[4 + i] != 0; ++i) text.push_back(static_cast<char>(rec[4 + i]));
  return text;
}

}  // namespace

bool IsFlashBootCode(std::uint8_t code) { return code == 0x30 || code == 0x55 || code == 0x61; }

bool ReadConfigArea(const std::uint8_t* mem, std::size_t size, std::size_t offset,
                    BootIdentity* identity) {
  if (!HasArea(mem, size, offset)) return false;
  const std::size_t areaLength = mem[offset + 3] | (mem[offset + 4] << 8);
  const std::size_t end = std::min(size, offset + std::max<std::size_t>(areaLength, 6));
  std::size_t at = offset + 6;
  for (unsigned count = 0; count < 256 && at + 2 <= end; ++count) {
    const std::uint8_t* rec = mem + at;
    std::size_t len = rec[0];
    if (rec[0] == 0xFF && (rec[1] & 0xC0) == 0xC0) {
      if (at + 4 > end) break;
      len = rec[2] | (rec[3] << 8);  // extended form
    }
    if (len < 2 || at + len > end) break;
    switch (rec[1]) {
      case 1: identity->manufacturer = StringPayload(rec, len); break;
      case 2: identity->product = StringPayload(rec, len); break;
      case 3: identity->serial = StringPayload(rec, len); break;
      case 4:
        if (len >= 8) {
          identity->vid = static_cast<std::uint16_t>(rec[2] | (rec[3] << 8));
          identity->pid = static_cast<std::uint16_t>(rec[4] | (rec[5] << 8));
          identity->rev = static_cast<std::uint16_t>(rec[6] | (rec[7] << 8));
        }
        break;
      default: break;
    }
    at += len;
  }
  return true;
}

std::optional<BootIdentity> BootFromFlash(const std::uint8_t* mem, std::size_t size,
                                          const BootRule& rule) {
  BootIdentity id;
  const std::size_t area = AreaAddress(rule.model);
  if (HasArea(mem, size, area) && IsFlashBootCode(mem[area])) {
    const bool tagged = kTagAddress + 2 <= size && mem[kTagAddress] == 0x55 && mem[kTagAddress + 1] == 0xAA;
    if (HasModeRegister(rule.chipId) || tagged) {
      ReadConfigArea(mem, size, area, &id);
      TakeVersion(mem, size, area, &id);
      return id;
    }
  }
  if (HasArea(mem, size, 0) && IsFlashBootCode(mem[0])) {
    ReadConfigArea(mem, size, 0, &id);
    TakeVersion(mem, size, 0, &id);
    return id;
  }
  return std::nullopt;
}

std::optional<BootIdentity> BootFromEeprom(const std::uint8_t* mem, std::size_t size) {
  if (!HasArea(mem, size, 0) || (mem[0] != 0x11 && mem[0] != 0x12)) return std::nullopt;
  BootIdentity id;
  ReadConfigArea(mem, size, 0, &id);
  TakeVersion(mem, size, 0, &id);
  return id;
}

namespace {

bool HasOtpConfigBlock(const std::uint8_t* mem, std::size_t size) {
  if (size < 0x4000) return false;
  for (int k = 0; k < 16; ++k) {
    if (mem[kVdTable + 5 * k + 4] == 0xAA) return true;
  }
  return false;
}

}  // namespace

std::vector<std::uint8_t> AssembleOtpImage(const std::uint8_t* mem, std::size_t size) {
  if (size < 0x4000) return {};
  std::vector<std::uint8_t> otp(mem, mem + 0x4000);
  // ECC records repair cells that failed to program: the byte at the address reads as value.
  for (std::size_t r = 0; r < 16; ++r) {
    const std::uint8_t* rec = &otp[kEccTable + 4 * r];
    if (rec[3] != 0x5A) continue;
    const std::size_t address = (rec[0] << 8) | rec[1];
    if (address < kOtpDataEnd) otp[address] = rec[2];
  }
  auto block = [&](std::uint8_t flag) -> std::pair<std::size_t, std::size_t> {
    std::size_t length = 0;
    bool found = false;
    for (int k = 15; k >= 0 && !found; --k) {
      const std::uint8_t* e = &otp[kVdTable + 5 * k];
      if (e[4] == flag) { length = (e[2] << 8) | e[3]; found = true; }
    }
    if (!found) return {0, 0};
    for (int k = 15; k >= 0; --k) {
      const std::uint8_t* e = &otp[kVdTable + 5 * k];
      if ((e[4] == 0x55 || e[4] == 0xAA) && static_cast<std::size_t>((e[2] << 8) | e[3]) == length) {
        const std::size_t address = (e[0] << 8) | e[1];
        if (address + length > kOtpDataEnd) return {0, 0};
        return {address, length};
      }
    }
    return {0, 0};
  };
  const auto [codeAt, codeLen] = block(0x55);
  const auto [configAt, configLen] = block(0xAA);
  std::vector<std::uint8_t> image;
  if (codeLen >= 15) image.assign(otp.begin() + codeAt, otp.begin() + codeAt + codeLen);
  if (configLen >= 15) {
    if (image.empty()) {
      image.assign(otp.begin() + configAt, otp.begin() + configAt + configLen);
    } else {
      image.insert(image.end(), otp.begin() + configAt + 15, otp.begin() + configAt + configLen);
      image[3] = static_cast<std::uint8_t>(image.size() & 0xFF);
      image[4] = static_cast<std::uint8_t>(image.size() >> 8);
    }
  }
  return image;
}

std::optional<BootIdentity> BootFromOtp(const std::uint8_t* mem, std::size_t size) {
  // The boot code needs a current configuration block; code alone does not start.
  const std::vector<std::uint8_t> image = AssembleOtpImage(mem, size);
  if (image.size() < 15 || image[0] != 0x60 || image[1] != 0xA5 || !HasOtpConfigBlock(mem, size)) return std::nullopt;
  BootIdentity id;
  ReadConfigArea(image.data(), image.size(), 0, &id);
  if (0x11B + 8 <= image.size()) id.version = std::vector<std::uint8_t>(image.begin() + 0x11B, image.begin() + 0x11B + 8);
  return id;
}

}  // namespace vcodec

