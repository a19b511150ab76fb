#include "emulator/FirmwareLayout.h"

#include <algorithm>
#include <cstring>

#include "emulator/DeviceConfig.h"

namespace vcodec {
namespace {

constexpr std::uint32_t kTagAddress = 0xEFFE;
constexpr std::uint32_t kOtpDataBytes = 0x3F60;
constexpr std::uint32_t kVdTable = 0x3F70;

bool LayOtp(DeviceSlot& slot, const std::vector<std::uint8_t>& image, std::string* error) {
  // The flows write the configuration area (code descriptor included) as one block; here it
  // goes in as a configuration block registered in VD entry 0.
  const std::uint32_t length = image.size() >= 6 ? static_cast<std::uint32_t>(image[3] | (image[4] << 8)) : 0;
  if (image.size() < 6 || image[1] != 0xA5 || length < 15 || length > image.size() || length > kOtpDataBytes) {
    if (error != nullptr) *error = "not an OTP image (no configuration area at offset 0 that fits the OTP)";
    return false;
  }
  std::memcpy(slot.memory, image.data(), length);
  std::uint8_t* entry = slot.memory + kVdTable;
  entry[0] = 0;
  entry[1] = 0;
  entry[2] = static_cast<std::uint8_t>(length >> 8);
  entry[3] = static_cast<std::uint8_t>(length & 0xFF);
  entry[4] = 0xAA;
  return true;
}

}  // namespace

void EraseMemory(DeviceSlot& slot) {
  const bool otp = static_cast<MemoryKind>(slot.config.memory) == MemoryKind::kOtp;
  std::memset(slot.memory, otp ? 0x00 : 0xFF, slot.config.memorySize);
}

bool LayFirmware(DeviceSlot& slot, const std::vector<std::uint8_t>& image, std::string* error) {
  const auto kind = static_cast<MemoryKind>(slot.config.memory);
  if (image.size() > slot.config.memorySize) {
    if (error != nullptr) *error = "firmware image larger than the device's memory";
    return false;
  }
  EraseMemory(slot);
  if (image.empty()) return true;
  switch (kind) {
    case MemoryKind::kFlash:
      std::memcpy(slot.memory, image.data(), image.size());
      if (slot.config.memorySize >= kTagAddress + 2) {
        const bool ownHeader = image.size() >= 2 && image[1] == 0xA5;
        // Chips with a boot-mode register never get a tag; the others get it unless the image
        // starts with its own boot header.
        if (HasModeRegister(static_cast<std::uint16_t>(slot.config.chipId))) {
          slot.memory[kTagAddress] = 0xFF;
          slot.memory[kTagAddress + 1] = 0xFF;
        } else if (!ownHeader) {
          slot.memory[kTagAddress] = 0x55;
          slot.memory[kTagAddress + 1] = 0xAA;
        }
      }
      break;
    case MemoryKind::kEeprom8:
    case MemoryKind::kEeprom16:
      std::memcpy(slot.memory, image.data(), image.size());
      if (slot.config.memorySize >= 2) slot.memory[1] = 0xA5;  // the tag byte, written last
      break;
    case MemoryKind::kOtp: return LayOtp(slot, image, error);
  }
  return true;
}

}  // namespace vcodec
