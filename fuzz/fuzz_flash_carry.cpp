// The "P" record carry on arbitrary device sectors and image areas: the first 4096 bytes of
// the input are the device's area, the rest the image's area at 0xF000.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "flow/FlashCarry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::size_t deviceBytes = std::min<std::size_t>(size, kConfigAreaBytes);
  const std::vector<std::uint8_t> device(data, data + deviceBytes);
  std::vector<std::uint8_t> image(kConfigAreaOffset, 0);
  image.insert(image.end(), data + deviceBytes, data + size);
  const std::vector<std::uint8_t> before = image;
  const PRecordCarry result = CarryPRecord(device, image);
  if (image.size() != before.size()) __builtin_trap();
  if (result != PRecordCarry::kCarried && image != before) __builtin_trap();
  return 0;
}
