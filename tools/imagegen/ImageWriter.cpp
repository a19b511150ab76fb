#include "tools/imagegen/ImageWriter.h"

#include <cstdio>

#include "image/AnsiText.h"
#include "image/BootMemory.h"
#include "image/ByteOrder.h"
#include "image/ConfigArea.h"
#include "image/DescCode.h"
#include "image/DescCommon.h"
#include "image/DescString.h"
#include "image/ImageVersion.h"

namespace {

// The OTP code record: header and leading records (15 bytes), its 8-byte head, then the code.
constexpr std::size_t kOtpCodeDataAt = 15 + CDescSmallCachecode::kHeadBytes;

class Filler {
 public:
  explicit Filler(const std::string& seedText) {
    for (char c : seedText) state_ = (state_ ^ static_cast<std::uint8_t>(c)) * 16777619u;
    if (state_ == 0) state_ = 1;
  }
  std::uint8_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<std::uint8_t>(state_ >> 24);
  }

 private:
  std::uint32_t state_ = 2166136261u;
};

bool PutVersion(const std::string& text, std::vector<std::uint8_t>& img, std::string& error) {
  unsigned major = 0, minor = 0, build = 0, n1 = 0, n2 = 0, n3 = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), "%1x.%1x%2x.%4x-%4x.%4x%c", &major, &minor, &build, &n1, &n2, &n3, &tail) != 6) {
    error = "bad version text (expected like 1.203.0004-0005.0006): " + text;
    return false;
  }
  const std::size_t at = VersionBlockOffset(img.size());
  if (at + 8 > img.size()) {
    error = "image too small for a version block";
    return false;
  }
  img[at] = static_cast<std::uint8_t>((major << 4) | minor);
  img[at + 1] = static_cast<std::uint8_t>(build);
  PutBe16(img, at + 2, n1);
  PutBe16(img, at + 4, n2);
  PutBe16(img, at + 6, n3);
  return true;
}

bool PutCodeId(const std::string& text, std::vector<std::uint8_t>& img, std::string& error) {
  unsigned b[5] = {};
  char tail = 0;
  if (std::sscanf(text.c_str(), "0x%2x%2x%2x%2x%2x%c", &b[0], &b[1], &b[2], &b[3], &b[4], &tail) != 5 ||
      img.size() < kCodeIdMinImageBytes) {
    error = "bad code identification text (expected like 0x0112345678) or image too small: " + text;
    return false;
  }
  // The text shows the 16-bit values at 0x1004 and 0x1006 most significant byte first.
  constexpr std::size_t kTextOrder[5] = {0, 2, 1, 4, 3};
  for (std::size_t i = 0; i < 5; ++i) img[kCodeIdAt + kTextOrder[i]] = static_cast<std::uint8_t>(b[i]);
  return true;
}

bool PutArea(const ImageDescription& d, std::vector<std::uint8_t>& img, std::string& error) {
  if (d.area >= img.size() || img.size() - d.area < d.capacity) {
    error = "configuration area outside the image";
    return false;
  }
  CDescGlobal source;
  source.bootMemoryCode = d.tag ? kStampedBootCode : d.bootCode;
  source.chipId = d.chipId;
  // The OTP code record must follow HWAPVersion and EEPInfo directly (offset 15).
  const std::optional<std::uint8_t> eep = d.otpCode != 0 ? std::optional<std::uint8_t>(d.eepInfo.value_or(0)) : d.eepInfo;
  const LeadingRecords leading{d.hwapSecondValue, eep, d.otpCode != 0 ? std::nullopt : d.bankCopyInfo,
                               d.otpCode != 0 ? std::nullopt : d.forceUpdateInfo};
  CConfigArea area;
  area.BeginBuild(source, leading, true);
  bool ok = true;
  if (d.otpCode != 0) {
    CDescSmallCachecode code;
    const std::size_t from = d.area + kOtpCodeDataAt;
    if (from + d.otpCode > img.size()) {
      error = "the OTP code record does not fit the image";
      return false;
    }
    code.data.assign(img.begin() + static_cast<std::ptrdiff_t>(from),
                     img.begin() + static_cast<std::ptrdiff_t>(from + d.otpCode));
    ok = area.AddDescriptor(code) && area.Cursor() == kOtpCodeDataAt + d.otpCode;
  }
  for (const auto& [type, text] : d.strings) {
    CDescString s(type);
    ok = ok && s.SetString(Utf8ToAnsi(text)) && area.AddDescriptor(s);
  }
  if (d.vidPid) {
    CDescVIDPID v;
    v.SetField("VID", (*d.vidPid)[0]);
    v.SetField("PID", (*d.vidPid)[1]);
    v.SetField("Release", (*d.vidPid)[2]);
    ok = ok && area.AddDescriptor(v);
  }
  if (d.cacheCode != 0) {
    CDescSmallCachecode cache;
    Filler filler(d.name + "/cache");
    for (std::size_t i = 0; i < d.cacheCode; ++i) cache.data.push_back(filler.Next());
    ok = ok && area.AddDescriptor(cache);
  }
  if (!ok || !area.GetConfigData(std::span(img).subspan(d.area, d.capacity))) {
    error = "the records do not fit the configuration area";
    return false;
  }
  return true;
}

}  // namespace

bool WriteImage(const ImageDescription& d, std::vector<std::uint8_t>& out, std::string& error) {
  std::vector<std::uint8_t> img(d.size, 0xFF);
  Filler filler(d.name);
  for (std::size_t i = 0; i < d.codeEnd && i < img.size(); ++i) img[i] = filler.Next();
  if (d.version && !PutVersion(*d.version, img, error)) return false;
  if (d.codeId && !PutCodeId(*d.codeId, img, error)) return false;
  if (d.tag) {
    if (*d.tag + 2 > img.size()) {
      error = "tag outside the image";
      return false;
    }
    img[*d.tag] = 0x55;
    img[*d.tag + 1] = 0xAA;
  }
  if (!PutArea(d, img, error)) return false;
  out = std::move(img);
  return true;
}
