#include "device/ExtensionUnitDescriptor.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kInterfaceDescriptor = 0x04;
constexpr std::uint8_t kClassSpecificInterface = 0x24;
constexpr std::uint8_t kExtensionUnitAc1 = 0x08;
constexpr std::uint8_t kExtensionUnitAc2 = 0x09;

// Length of the descriptor at pos, or 0 when it is malformed or does not fit.
std::size_t DescriptorAt(const std::uint8_t* d, std::size_t pos, std::size_t total) {
  if (pos + 2 > total) return 0;
  const std::size_t length = d[pos];
  if (length < 2 || length > total - pos) return 0;
  return length;
}

}  // namespace

int FindAudioExtensionUnit(const std::uint8_t* config, std::size_t size) {
  if (config == nullptr || size < 4) return -1;
  const std::size_t total = std::min<std::size_t>(size, static_cast<std::size_t>(config[2] | config[3] << 8));
  std::size_t pos = 0;
  for (;;) {
    const std::size_t length = DescriptorAt(config, pos, total);
    if (length == 0) return -1;
    pos += length;
    if (config[pos - length + 1] == kInterfaceDescriptor) break;
  }
  for (;;) {
    const std::size_t length = DescriptorAt(config, pos, total);
    if (length == 0 || config[pos + 1] != kClassSpecificInterface) return -1;
    const std::uint8_t* d = config + pos;
    if (length >= 6 && (d[2] == kExtensionUnitAc1 || d[2] == kExtensionUnitAc2) &&
        (d[4] | d[5] << 8) == kVendorExtensionCode) {
      return d[3];
    }
    pos += length;
  }
}
