// The area walk on arbitrary bytes, then a rebuild of what was read and a walk of the rebuild.
// Byte 0 replaces the chip id of the header, so every chip's record classes are reached.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/ConfigArea.h"

namespace {

CConfigArea::WalkResult Rebuild(CConfigArea& source, std::vector<std::uint8_t>& out) {
  CConfigArea rebuilt;
  rebuilt.BeginBuild(source.Header(), source.Leading(), true);
  const auto result = source.Walk([&](CDescriptor& d) { return rebuilt.AddDescriptor(d); });
  out.assign(0x10000 + CConfigArea::kBuildReserve, 0xFF);
  if (!rebuilt.GetConfigData(out)) out.clear();
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  if (bytes.size() > 2) bytes[2] = static_cast<std::uint8_t>((data[0] << 3) | (bytes[2] & 7));

  CConfigArea area;
  area.Load(bytes);
  std::vector<std::uint8_t> rebuilt;
  (void)Rebuild(area, rebuilt);
  if (!rebuilt.empty()) {
    CConfigArea back;
    back.Load(rebuilt);
    std::vector<std::uint8_t> again;
    (void)Rebuild(back, again);
  }
  return 0;
}
