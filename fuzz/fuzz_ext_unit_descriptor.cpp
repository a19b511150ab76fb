// Arbitrary configuration descriptors, as a device may send them, to the extension-unit search.
#include <cstddef>
#include <cstdint>

#include "device/ExtensionUnitDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int unit = FindAudioExtensionUnit(data, size);
  if (unit < -1 || unit > 255) __builtin_trap();
  return 0;
}
