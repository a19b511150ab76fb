#include "emulator/FirmwareLayout.h"

#include <algorithm>
#include <cstring>

#include "emulator/DeviceConfig.h"

namespace vcodec {
namespace {

constexpr std::uint32_t kTagAddress = 0xEFFE;
constexpr std::uint32_t kOtpDataBytes = 0x3F60;
constexpr std::uint32_t kVdTable = 0x3F70;

void Register(DeviceSlot& slot, int entry, std::uint32_t address, std::uint32_t length, std::uint8_t flag) {
  std::uint8_t* e = slot.memory + kVdTable + 5 * entry;
  e[0] = static_cast<std::uint8_t>(address >> 8);
  e[1] = static_cast<std::uint8_t>(address & 0xFF);
  e[2] = static_cast<std::uint8_t>(length >> 8);
  e[3] = static_cast<std::uint8_t>(length & 0xFF);
  e[4] = flag;
}

// The blocks an OTP download writes: with a code record (extended type 39 right after the
// 15 header bytes) a code block (flag 0x55) and a configuration block (flag 0xAA) behind it,
// each starting with the 15 header bytes; without one, the whole area as one configuration block.
bool LayOtp(DeviceSlot& slot, const std::vector<std::uint8_t>& image, std::string* error) {
  const std::uint32_t total = image.size() >= 6 ? static_cast<std::uint32_t>(image[3] | (image[4] << 8)) : 0;
  if (image.size() < 15 || image[1] != 0xA5 || total < 15 || total > image.size() || total > kOtpDataBytes) {
    if (error != nullptr) *error = "not an OTP image (no configuration area at offset 0 that fits the OTP)";
    return false;
  }
  const std::uint8_t chip = static_cast<std::uint8_t>(image[2] & 0xF8);
  const bool hasCode = total >= 19 && image[15] == 0xFF && image[16] == 0xE7;
  const std::uint32_t code = hasCode ? static_cast<std::uint32_t>(image[17] | (image[18] << 8)) : 0;
  if (!hasCode || 15 + code >= total) {
    std::memcpy(slot.memory, image.data(), total);
    Register(slot, 0, 0, total, 0xAA);
    return true;
  }
  const std::uint32_t codeBlock = 15 + code, configBlock = total - code;
  std::memcpy(slot.memory, image.data(), codeBlock);
  slot.memory[2] = static_cast<std::uint8_t>(chip | 3);
  slot.memory[3] = static_cast<std::uint8_t>(codeBlock & 0xFF);
  slot.memory[4] = static_cast<std::uint8_t>(codeBlock >> 8);
  slot.memory[5] = 3;
  std::uint8_t* config = slot.memory + codeBlock;
  std::memcpy(config, image.data(), 15);
  std::memcpy(config + 15, image.data() + codeBlock, total - codeBlock);
  config[2] = static_cast<std::uint8_t>(chip | 1);
  config[3] = static_cast<std::uint8_t>(configBlock & 0xFF);
  config[4] = static_cast<std::uint8_t>(configBlock >> 8);
  Register(slot, 0, 0, codeBlock, 0x55);
  Register(slot, 1, codeBlock, configBlock, 0xAA);
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
