#include "image/EepromConfigInfo.h"

#include <algorithm>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/Trace.h"
#include "flow/TextIds.h"
#include "image/AnsiText.h"
#include "image/BootMemory.h"
#include "image/ConfigArea.h"
#include "image/DescString.h"
#include "image/ICTypeIni.h"
#include "image/IcTables.h"
#include "image/MpConfig.h"

namespace {
constexpr std::uint8_t kSerialType = 3;
constexpr char kSnFunctionPrefix = 0x07;
constexpr std::uint8_t kTag[2] = {0x55, 0xAA};
}  // namespace

bool CEepromConfigInfo::PreActionForAllInOne(std::vector<std::uint8_t>& image, int& outStatus) {
  TraceScope scope("CEepromConfigInfo::PreActionForAllInOne");
  const bool saveSn = GetConfigInt(0, kConfigSection, "SaveSN") != 0;
  if (!saveSn) return true;
  const bool otp = App().memoryType == kMemoryOtp;
  std::vector<std::uint8_t> work = image;
  if (otp) {
    const std::int32_t capacity = ic_.GetConfigSize();
    if (capacity <= 0 || work.size() > static_cast<std::size_t>(capacity)) {
      TraceFail(scope, "Image of %zu bytes exceeds ConfigSize %d\n", work.size(), capacity);
      TraceFail(scope, "Save SN Fail\n");
      outStatus = IDS_SAVE_SN_FAIL;
      return false;
    }
    work.resize(static_cast<std::size_t>(capacity), 0xFF);
  }
  const bool variantB = GetConfigInt(0, kConfigSection, "SN Address") != 0;
  if (!StampSerialNumber(work, record_.serialText, variantB)) {
    TraceFail(scope, "Save SN Fail\n");
    outStatus = IDS_SAVE_SN_FAIL;
    return false;
  }
  if (otp) work.resize(std::min<std::size_t>(record_.areaLength16, work.size()));
  image = std::move(work);
  return true;
}

bool CEepromConfigInfo::StampSerialNumber(std::vector<std::uint8_t>& image, const std::string& text,
                                          bool variantB) {
  TraceScope scope("CEepromConfigInfo::StampSerialNumber");
  std::string serial = Utf8ToAnsi(text);
  if (variantB && GetConfigInt(0, kConfigSection, "SN Function") != 0) serial.insert(0, 1, kSnFunctionPrefix);

  const auto a = static_cast<std::size_t>(static_cast<std::uint32_t>(ic_.GetVendorInfo("ConfigAddress")));
  const auto capacity = static_cast<std::size_t>(static_cast<std::uint32_t>(ic_.GetVendorInfo("ConfigSize")));
  const auto t = static_cast<std::size_t>(static_cast<std::uint32_t>(ic_.GetVendorInfo("TagAddress")));
  if (image.size() <= a || image.size() - a < capacity || capacity == 0) {
    TraceWrite(scope, "Image of %zu bytes has no room for the configuration area\r\n", image.size());
    return false;
  }

  CConfigArea source;
  const CDescGlobal& header =
      source.Load(std::span(image).subspan(a, std::min(image.size() - a, CConfigArea::kMaxCopyBytes)));
  // Without a signature whatever lies there would be taken as a header and overwritten.
  if (!header.HasSignature()) {
    TraceWrite(scope, "No configuration area at 0x%zX\r\n", a);
    return false;
  }
  CConfigArea rebuilt;
  rebuilt.BeginBuild(header, source.Leading(), true);

  bool hadSerial = false;
  bool failed = false;
  const auto walk = source.Walk([&](CDescriptor& d) {
    TraceWrite(scope, "Find descriptor 0x%02X\n", d.type);
    if (d.type == kSerialType) {
      if (auto* s = dynamic_cast<CDescString*>(&d)) {
        s->Clear();
        TraceWrite(scope, "|----- DescType length: %d\n |-----string length: %d\n",
                   static_cast<int>(static_cast<std::uint8_t>(serial.size() + 2)),
                   static_cast<int>(serial.size()));
        if (serial.size() > kMaxSerialBytes || !s->SetString(serial)) {
          TraceWrite(scope, "SetString failed\r\n");
          failed = true;
          return false;
        }
        hadSerial = true;
      }
    }
    if (!rebuilt.AddDescriptor(d)) {
      TraceWrite(scope, "Add SN Descriptor failed\r\n");
      failed = true;
      return false;
    }
    return true;
  });
  if (failed) return false;
  if (walk == CConfigArea::WalkResult::kCorrupt) {
    TraceWrite(scope, "Config file corrupted\r\n");
    return false;
  }
  if (!hadSerial) {
    CDescString record(kSerialType);
    TraceWrite(scope, "|----- SN length: %d\n |-----string length: %d\n",
               static_cast<int>(static_cast<std::uint8_t>(serial.size() + 2)), static_cast<int>(serial.size()));
    if (serial.size() > kMaxSerialBytes || !record.SetString(serial)) {
      TraceWrite(scope, "set serial number string failed\r\n");
      return false;
    }
    if (!rebuilt.AddDescriptor(record)) {
      TraceWrite(scope, "Add SN Descriptor failed\r\n");
      return false;
    }
  }

  std::vector<std::uint8_t> output(image.size(), 0xFF);
  if (!rebuilt.GetConfigData(std::span(output).subspan(a, capacity))) {
    TraceWrite(scope, "GetConfigData failed\r\n");
    return false;
  }
  record_.areaLength16 = static_cast<std::uint16_t>(rebuilt.BuiltLength());
  std::copy_n(image.begin(), a, output.begin());
  if (a != 0) {
    output[a] = kStampedBootCode;
    if (t + 2 <= output.size()) std::copy(std::begin(kTag), std::end(kTag), output.begin() + static_cast<std::ptrdiff_t>(t));
  }
  std::copy_n(output.begin(), a + capacity, image.begin());
  TraceWrite(scope, "|----- DownLoad length: %d\n", static_cast<int>(image.size()));
  return true;
}
