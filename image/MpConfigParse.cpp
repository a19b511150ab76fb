// CMpConfig: locating and reading the configuration area of an image.
#include <algorithm>
#include <array>
#include <cstring>
#include <cstdio>

#include "app/AppContext.h"
#include "app/Trace.h"
#include "image/AnsiText.h"
#include "image/BootMemory.h"
#include "image/ConfigArea.h"
#include "image/DescCode.h"
#include "image/DescCommon.h"
#include "image/DescString.h"
#include "image/ICTypeIni.h"
#include "image/IcTables.h"
#include "image/ImageVersion.h"
#include "image/MpConfig.h"
#include "platform/MessageBox.h"

namespace {

constexpr std::size_t kAreaAtLargeImages = 0xF000;
constexpr std::size_t kSmallFlashImage = 16384;
constexpr std::uint32_t kRegionBytes = 4096;

bool IsErased(std::span<const std::uint8_t> image) {
  // Block-wise: images run to megabytes and every parse asks.
  static const std::array<std::uint8_t, 4096> kErased = [] {
    std::array<std::uint8_t, 4096> block{};
    block.fill(0xFF);
    return block;
  }();
  for (std::size_t at = 0; at < image.size(); at += kErased.size()) {
    const std::size_t n = std::min(kErased.size(), image.size() - at);
    if (std::memcmp(image.data() + at, kErased.data(), n) != 0) return false;
  }
  return true;
}

bool HasAreaAt(std::span<const std::uint8_t> image, std::size_t offset) {
  CDescGlobal header;
  return offset < image.size() && header.Parse(image.subspan(offset)) != 0 && header.HasSignature();
}

void ShowCorrupted() { ShowMessageBox("Config file corrupted", ""); }

}  // namespace

std::size_t CMpConfig::ConfigAddress() const {
  return ic_ == nullptr ? 0 : static_cast<std::uint32_t>(ic_->GetVendorInfo("ConfigAddress"));
}

bool CMpConfig::IsVxq62() const { return ic_ != nullptr && ic_->icName == "VXQ62"; }

CMpConfig::ScanResult CMpConfig::WalkArea(std::span<const std::uint8_t> image, std::size_t offset,
                                          bool takeTexts) {
  TraceScope scope("CMpConfig::ExtractImageInfo", 0);
  CConfigArea area;
  const CDescGlobal& header = area.Load(image.subspan(offset));
  if (const auto memoryType = MemoryTypeOfBootCode(header.bootMemoryCode)) App().memoryType = *memoryType;
  regionLength = header.areaLength;
  if (takeTexts) areaLength16 = header.areaLength;
  const auto result = area.Walk([&](CDescriptor& d) {
    TraceWrite(scope, "Find descriptor 0x%02X\n", d.type);
    if (!takeTexts) return true;
    if (auto* s = dynamic_cast<CDescString*>(&d)) {
      if (d.type == 1) manufacturerText = AnsiToUtf8(s->Text());
      if (d.type == 3) serialText = AnsiToUtf8(s->Text());
      if (d.type == 7) iadText = AnsiToUtf8(s->Text());
    } else if (auto* v = dynamic_cast<CDescVIDPID*>(&d)) {
      char text[32];
      std::snprintf(text, sizeof text, "VID_%04X&PID_%04X", v->Field("VID"), v->Field("PID"));
      vidPidText = text;
      std::snprintf(text, sizeof text, "%04x", v->Field("Release"));
      releaseText = text;
      if (const auto codeId = CodeIdentificationText(image)) codeIdText = *codeId;
    }
    return true;
  });
  if (result != CConfigArea::WalkResult::kComplete) {
    ShowCorrupted();
    return ScanResult::kCorrupt;
  }
  return ScanResult::kComplete;
}

CMpConfig::ScanResult CMpConfig::Extract(std::span<const std::uint8_t> image) {
  manufacturerText.clear();
  serialText.clear();
  vidPidText.clear();
  releaseText.clear();
  iadText.clear();
  codeIdText.clear();
  if (IsErased(image)) return ScanResult::kNoArea;
  std::size_t offset = ConfigAddress();
  if (IsVxq62()) {
    const std::uint8_t memoryType = App().memoryType;
    if (image.size() == kSmallFlashImage || memoryType == kMemoryOtp ||
        (memoryType == kMemorySerialFlash && image.size() < kSmallFlashImage)) {
      offset = 0;
    }
  }
  // An image shorter than the configuration address (an EEPROM image) keeps its area at 0.
  if (!HasAreaAt(image, offset)) offset = 0;
  if (!HasAreaAt(image, offset)) return ScanResult::kNoArea;
  return WalkArea(image, offset, true);
}

bool CMpConfig::ExtractImageInfo(std::span<const std::uint8_t> image) {
  return Extract(image) == ScanResult::kComplete;
}

CMpConfig::ScanResult CMpConfig::ScanDescriptors(std::span<const std::uint8_t> image) {
  std::size_t offset = kAreaAtLargeImages;
  if (IsVxq62() && (App().memoryType == kMemoryOtp || image.size() == kSmallFlashImage)) offset = 0;
  if (!HasAreaAt(image, offset)) return ScanResult::kNoArea;
  return WalkArea(image, offset, false);
}

std::optional<std::size_t> CMpConfig::FindCacheCodeEnd(std::span<const std::uint8_t> image) const {
  if (IsErased(image)) return std::nullopt;
  std::size_t offset = (IsVxq62() && g_uMemSize == kSmallFlashImage) ? 0 : ConfigAddress();
  if (!HasAreaAt(image, offset)) offset = 0;
  if (!HasAreaAt(image, offset)) return std::nullopt;
  CConfigArea area;
  area.Load(image.subspan(offset));
  std::optional<std::size_t> end;
  (void)area.Walk([&](CDescriptor& d) {
    if (dynamic_cast<CDescSmallCachecode*>(&d) != nullptr) end = area.Cursor();
    return true;
  });
  return end;
}

std::optional<std::size_t> CMpConfig::ParseImage(std::span<const std::uint8_t> image) {
  std::size_t a = ConfigAddress();
  if (IsVxq62() && g_uMemSize == kSmallFlashImage) a = 0;
  imageChipId = 0xFF;
  m_bImageHasTag = false;
  m_bImageFlagZ = false;
  const std::size_t largeImageArea = image.size() < kLargeImageBytes ? 0 : kAreaAtLargeImages;

  if (a != 0 && HasAreaAt(image, a)) {
    CConfigArea area;
    const CDescGlobal& header = area.Load(image.subspan(a));
    m_bImageFlagZ = area.Leading().bankCopyInfo == kBankCopyFlagZ;
    imageChipId = header.chipId;
    // A corrupt area must not be programmed after the user was told so.
    if (Extract(image) == ScanResult::kCorrupt || ScanDescriptors(image) == ScanResult::kCorrupt) {
      return std::nullopt;
    }
    regionStart = static_cast<std::uint32_t>(a & ~std::size_t{0xFFF});
    regionLength = kRegionBytes;
    return image.size() < kLargeImageBytes ? a : kAreaAtLargeImages;
  }
  if (a == 0 && HasAreaAt(image, 0)) {
    CConfigArea area;
    const CDescGlobal& header = area.Load(image);
    m_bImageFlagZ = area.Leading().bankCopyInfo == kBankCopyFlagZ;
    m_bImageHasTag = true;
    imageChipId = header.chipId;
    if (Extract(image) == ScanResult::kCorrupt || ScanDescriptors(image) == ScanResult::kCorrupt) {
      return std::nullopt;
    }
    const auto end = FindCacheCodeEnd(image);
    if (!end) return std::nullopt;
    // The region runs from the end of the cache code to the end of the area, plus 0x30 bytes.
    regionStart = static_cast<std::uint32_t>(*end & ~std::size_t{0xF});
    const std::uint32_t areaEnd = std::max<std::uint32_t>(header.areaLength & ~0xFu, regionStart);
    regionLength = areaEnd - regionStart + 0x30;
    return *end;
  }
  if (!HasAreaAt(image, 0)) {
    imageChipId = 0xFF;
    return std::nullopt;
  }
  CDescGlobal header;
  header.Parse(image);
  imageChipId = header.chipId;
  if (Extract(image) == ScanResult::kCorrupt || ScanDescriptors(image) == ScanResult::kCorrupt) {
    return std::nullopt;
  }
  m_bImageHasTag = true;
  return largeImageArea;
}
