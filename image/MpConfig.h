#pragma once
// The firmware image record every programming flow carries: image paths and buffers, what the
// parse found (area position, chip id, tag and bank-copy flags, the memory region of the area)
// and the texts taken from the configuration area.
//
// Parsing reads the current IC definition ("ConfigAddress", "Ic Name"), the process-wide memory
// type and g_uMemSize; every read of an image checks that its bytes lie inside the image.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CICTypeIni;

// Size of the memory region the flows read or erase; loading an embedded or third image sets it.
extern std::uint32_t g_uMemSize;
inline constexpr std::uint32_t kInitialMemSize = 0x40000;

// Reads one byte of device memory (the flows wire the device API in); null when it failed.
using DeviceByteReader = std::function<std::optional<std::uint8_t>(std::uint32_t address)>;

inline constexpr std::uint32_t kOptionByteAddress = 0xFEC7;

class CMpConfig {
 public:
  // The IC definition parses and default images are read from; may be null (every value 0).
  void SetIcDefinition(const CICTypeIni* ic) { ic_ = ic; }

  // Loaders; each returns true on success and frees the buffers it replaces.
  bool LoadImageFile();
  bool LoadSecondImageFile();
  // 64 KB work and copy buffers from thirdImagePath; refuses a third image larger than 64 KB.
  bool LoadThirdImageFile();
  // Work and copy buffers become 16384 bytes; refuses a copy longer than that.
  bool PadImageTo16K();
  // The "BINARY" resource id into the work buffer; false (nothing changed) when it is missing.
  bool LoadResourceImage(int id);
  // The embedded image named by "Def Bin" when no second or third path is set; false when the
  // definition names none (the work buffer is then erased and its length 0).
  bool LoadDefaultImage();
  // "FFU_3C5E_4C15" for "VID_3C5E&PID_4C15&REV_0000" (with "H"/"L" from bit 0 of the option
  // byte for "17AA_1046"), then loads that embedded image or the default one.
  std::string DefaultImageName(std::string_view deviceId, const DeviceByteReader& readByte);

  // Offset of the configuration area inside image, or null (no area, or a corrupt one).
  std::optional<std::size_t> ParseImage(std::span<const std::uint8_t> image);
  // Texts, regionLength and areaLength16 from the area; false for an erased image, no area or a
  // corrupt one ("Config file corrupted" is shown).
  bool ExtractImageInfo(std::span<const std::uint8_t> image);
  // Offset, from the area start, just after the small-cache-code record; null when there is none.
  std::optional<std::size_t> FindCacheCodeEnd(std::span<const std::uint8_t> image) const;
  // Chip ids 8 and 9 are the same chip.
  [[nodiscard]] static bool IsImageForDevice(std::uint8_t chipInfo, std::uint8_t imageChipId);

  // Loads imagePath, parses it and checks it against chipInfo: 0, or the text id of the failure
  // (41530 load, 41531 parse, 41715 not for the device).
  [[nodiscard]] int LoadImageForDevice(std::uint8_t chipInfo);

  std::string imagePath;
  std::string secondImagePath;
  std::string thirdImagePath;
  std::vector<std::uint8_t> imageBytes;
  std::uint32_t imageLength = 0;
  std::vector<std::uint8_t> workBytes;
  std::uint32_t workLength = 0;
  std::vector<std::uint8_t> copyBytes;
  std::uint32_t copyLength = 0;
  std::vector<std::uint8_t> thirdBytes;
  std::uint32_t thirdLength = 0;

  std::optional<std::size_t> configLocation;
  std::uint8_t imageChipId = 0xFF;
  bool m_bImageHasTag = false;
  bool m_bImageFlagZ = false;
  std::uint32_t regionStart = 0;
  std::uint32_t regionLength = 0;
  std::uint16_t areaLength16 = 0;

  std::string manufacturerText;
  std::string serialText;
  std::string vidPidText;
  std::string releaseText;
  std::string iadText;
  std::string codeIdText;

 private:
  // Reads path into bytes/length and a copy into copyBytes/copyLength.
  bool LoadWithCopy(const std::string& path, std::vector<std::uint8_t>& bytes, std::uint32_t& length);
  enum class ScanResult { kNoArea, kComplete, kCorrupt };
  ScanResult Extract(std::span<const std::uint8_t> image);
  ScanResult ScanDescriptors(std::span<const std::uint8_t> image);
  ScanResult WalkArea(std::span<const std::uint8_t> image, std::size_t offset, bool takeTexts);
  [[nodiscard]] std::size_t ConfigAddress() const;
  [[nodiscard]] bool IsVxq62() const;

  const CICTypeIni* ic_ = nullptr;
};
