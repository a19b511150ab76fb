#include "device/StringDescriptor.h"

#include <algorithm>

#include "device/UsbRequests.h"

namespace {

constexpr std::uint8_t kStringDescriptorType = 3;
constexpr std::uint16_t kLanguageEnglishUs = 0x0409;
constexpr std::uint16_t kReadSize = 256;

void AppendUtf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | c >> 6);
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | c >> 12);
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | c >> 18);
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

bool DecodeStringDescriptor(const std::uint8_t* data, std::size_t received, std::string* text) {
  text->clear();
  if (data == nullptr || received < 2 || data[0] < 2 || data[1] != kStringDescriptorType) return false;
  const std::size_t units = (std::min<std::size_t>(data[0], received) - 2) / 2;
  for (std::size_t i = 0; i < units; ++i) {
    std::uint32_t c = static_cast<std::uint32_t>(data[2 + 2 * i] | data[3 + 2 * i] << 8);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units) {
      const std::uint32_t low = static_cast<std::uint32_t>(data[4 + 2 * i] | data[5 + 2 * i] << 8);
      if (low >= 0xDC00 && low < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;  // a lone surrogate
    AppendUtf8(*text, c);
  }
  return true;
}

bool ReadStringDescriptor(std::uint64_t deviceId, std::uint8_t index, std::string* text) {
  text->clear();
  if (index == 0) return true;
  std::uint8_t buffer[kReadSize] = {};
  std::uint32_t received = 0;
  if (!GetStringDescriptor(deviceId, buffer, kReadSize, index, kLanguageEnglishUs, &received)) return false;
  return DecodeStringDescriptor(buffer, received, text);
}
