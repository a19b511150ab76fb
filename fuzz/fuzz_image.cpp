// ParseImage, ExtractImageInfo, FindCacheCodeEnd and the version block on arbitrary images.
// Byte 0 picks the IC definition, the memory type and g_uMemSize; the rest is the image.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/AppContext.h"
#include "fuzz/FuzzDefinitions.h"
#include "image/ImageVersion.h"
#include "image/MpConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t selector = data[0];
  const std::span<const std::uint8_t> image(data + 1, size - 1);
  constexpr std::uint8_t kMemoryTypes[] = {0, 2, 3, 6};
  App().memoryType = kMemoryTypes[(selector >> 3) & 3];
  g_uMemSize = (selector & 0x20) != 0 ? 16384 : kInitialMemSize;

  CMpConfig record;
  record.SetIcDefinition(&FuzzDefinition(selector));
  (void)record.ParseImage(image);
  (void)record.ExtractImageInfo(image);
  (void)record.FindCacheCodeEnd(image);
  (void)DecodeImageVersion(image);
  (void)CodeIdentificationText(image);
  return 0;
}
