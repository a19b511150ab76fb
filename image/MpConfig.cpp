#include "image/MpConfig.h"

#include <algorithm>
#include <fstream>

#include "app/AppContext.h"
#include "app/Trace.h"
#include "flow/TextIds.h"
#include "image/ICTypeIni.h"
#include "image/IcTables.h"
#include "image/ImagePath.h"
#include "resources/EmbeddedResources.h"

std::uint32_t g_uMemSize = kInitialMemSize;

namespace {

constexpr std::uint32_t kThirdImageBytes = 65536;
constexpr std::uint32_t kThirdCopyLength = 16384;
constexpr std::uint32_t kPaddedBytes = 16384;
constexpr std::uint32_t kMipiMemSize = 0x20000;
constexpr std::uint8_t kBusMipi = 2;

// Reads the whole file at the resolved path; false for a missing, empty or short file.
bool ReadImageFile(const std::string& path, std::vector<std::uint8_t>& out, std::uint32_t& length) {
  out.clear();
  length = 0;
  const auto resolved = ResolveImagePath(path);
  if (!resolved) return false;
  std::ifstream in(*resolved, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  if (size <= 0 || size > 0xFFFFFFFF) return false;
  out.resize(static_cast<std::size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(out.data()), size)) {
    out.clear();
    return false;
  }
  length = static_cast<std::uint32_t>(size);
  return true;
}

}  // namespace

bool CMpConfig::LoadWithCopy(const std::string& path, std::vector<std::uint8_t>& bytes, std::uint32_t& length) {
  // A path that names no file leaves the buffers held as they are (a built-in image stays usable).
  if (!ResolveImagePath(path)) return false;
  copyBytes.clear();
  copyLength = 0;
  if (!ReadImageFile(path, bytes, length)) return false;
  copyBytes = bytes;
  copyLength = length;
  return true;
}

bool CMpConfig::LoadImageFile() {
  regionStart = 0;
  return LoadWithCopy(imagePath, imageBytes, imageLength);
}

bool CMpConfig::LoadSecondImageFile() { return LoadWithCopy(secondImagePath, workBytes, workLength); }

bool CMpConfig::LoadThirdImageFile() {
  TraceScope scope("CMpConfig::LoadThirdImageFile");
  if (!ReadImageFile(thirdImagePath, thirdBytes, thirdLength)) return false;
  if (thirdLength > kThirdImageBytes) {
    TraceFail(scope, "Third image of %u bytes exceeds %u bytes\n", thirdLength, kThirdImageBytes);
    return false;
  }
  workLength = kThirdImageBytes;
  copyLength = kThirdCopyLength;
  g_uMemSize = kThirdImageBytes;
  workBytes.assign(kThirdImageBytes, 0);
  copyBytes.assign(kThirdImageBytes, 0);
  std::copy(thirdBytes.begin(), thirdBytes.end(), workBytes.begin());
  if (thirdLength != 4096) std::copy(thirdBytes.begin(), thirdBytes.end(), copyBytes.begin());
  return true;
}

bool CMpConfig::PadImageTo16K() {
  TraceScope scope("CMpConfig::PadImageTo16K");
  if (copyLength > kPaddedBytes || copyLength > copyBytes.size()) {
    TraceFail(scope, "Image of %u bytes exceeds %u bytes\n", copyLength, kPaddedBytes);
    return false;
  }
  std::vector<std::uint8_t> padded(kPaddedBytes, 0);
  std::copy_n(copyBytes.begin(), copyLength, padded.begin());
  workBytes = padded;
  workLength = kPaddedBytes;
  copyBytes = std::move(padded);
  copyLength = kPaddedBytes;
  return true;
}

bool CMpConfig::LoadResourceImage(int id) {
  const auto bytes = FindEmbeddedResource("BINARY", id);
  if (bytes.data() == nullptr) return false;
  workBytes.clear();
  if (App().busType == kBusMipi) g_uMemSize = kMipiMemSize;
  if (!bytes.empty()) g_uMemSize = static_cast<std::uint32_t>(bytes.size());
  workBytes.assign(bytes.size(), 0xFF);
  std::copy(bytes.begin(), bytes.end(), workBytes.begin());
  workLength = static_cast<std::uint32_t>(bytes.size());
  return true;
}

bool CMpConfig::LoadDefaultImage() {
  if (ic_ != nullptr && !ic_->fileList.empty()) {
    if (const auto id = ic_->GetDefaultImageId()) {
      if (secondImagePath.empty() && thirdImagePath.empty()) LoadResourceImage(*id);
      return true;
    }
  }
  std::fill(workBytes.begin(), workBytes.end(), 0xFF);
  workLength = 0;
  return false;
}

std::string CMpConfig::DefaultImageName(std::string_view deviceId, const DeviceByteReader& readByte) {
  TraceScope scope("CMpConfig::DefaultImageName");
  std::string name = "FFU" + std::string(deviceId.substr(0, std::min(deviceId.rfind('&'), deviceId.size())));
  for (const std::string_view part : {std::string_view("VID"), std::string_view("&PID")}) {
    if (const std::size_t at = name.find(part); at != std::string::npos) name.erase(at, part.size());
  }
  if (name.find("17AA_1046") != std::string::npos) {
    const auto byte = readByte ? readByte(kOptionByteAddress) : std::nullopt;
    if (!byte) TraceFail(scope, "Read option byte failed\n");
    App().chipOptionByte = byte.value_or(0);
    name += (byte.value_or(0) & 1) != 0 ? "H" : "L";
  }
  const auto id = LookupDefaultImage(name);
  if (ic_ != nullptr && !ic_->fileList.empty() && id) {
    LoadResourceImage(*id);
  } else {
    LoadDefaultImage();
  }
  return name;
}

bool CMpConfig::IsImageForDevice(std::uint8_t chipInfo, std::uint8_t imageChipId) {
  if (chipInfo == imageChipId) return true;
  return (chipInfo == 8 && imageChipId == 9) || (chipInfo == 9 && imageChipId == 8);
}

int CMpConfig::LoadImageForDevice(std::uint8_t chipInfo) {
  TraceScope scope("CMpConfig::LoadImageForDevice");
  if (!LoadImageFile()) {
    TraceFail(scope, "Load File Data Fail!\n");
    return IDS_LOAD_FILE_DATA_FAIL;
  }
  configLocation = ParseImage(imageBytes);
  if (!configLocation) {
    TraceFail(scope, "Parse FW File Fail!\n");
    return IDS_PARSE_FW_FILE_FAIL;
  }
  if (!IsImageForDevice(chipInfo, imageChipId)) {
    TraceFail(scope, "Firmware is not for this device\n");
    return IDS_FIRMWARE_NOT_FOR_DEVICE;
  }
  return 0;
}
