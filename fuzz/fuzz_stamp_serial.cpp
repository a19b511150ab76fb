// StampSerialNumber on arbitrary images. Byte 0 picks the IC definition and the variant, byte 1
// the length of the serial text taken from the input; the rest is the image.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzDefinitions.h"
#include "image/EepromConfigInfo.h"
#include "image/MpConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t selector = data[0];
  const std::size_t textLength = std::min<std::size_t>(data[1] % 64, size - 2);
  const std::string text(reinterpret_cast<const char*>(data + 2), textLength);
  std::vector<std::uint8_t> image(data + 2 + textLength, data + size);
  const std::vector<std::uint8_t> original = image;

  CMpConfig record;
  CEepromConfigInfo stamp(record, FuzzDefinition(selector));
  if (!stamp.StampSerialNumber(image, text, (selector & 0x80) != 0) && image != original) {
    __builtin_trap();  // a failed stamp must leave the image as it was
  }
  if (image.size() != original.size()) __builtin_trap();
  return 0;
}
