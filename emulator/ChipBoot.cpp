#include "emulator/ChipBoot.h"

#include <cstdio>
#include <cstring>

#include "emulator/BootImage.h"
#include "emulator/ChipRegisters.h"
#include "emulator/DeviceConfig.h"
#include "emulator/VcmdStatus.h"

namespace vcodec {
namespace {

constexpr std::uint8_t kModeRom = 0x00;
constexpr std::uint8_t kModeSpi = 0x08;
constexpr std::uint8_t kModeRomOtp = 0x10;
constexpr std::uint8_t kModeSpiOtp = 0x18;

void CopyText(char (&field)[64], const std::string& text) {
  std::snprintf(field, sizeof field, "%s", text.c_str());
}

std::optional<BootIdentity> Analyse(const DeviceSlot& slot) {
  const std::uint32_t size = slot.config.memorySize <= kMaxMemoryBytes ? slot.config.memorySize : 0;
  switch (static_cast<MemoryKind>(slot.config.memory)) {
    case MemoryKind::kFlash: {
      BootRule rule;
      rule.chipId = static_cast<std::uint16_t>(slot.config.chipId);
      rule.model = static_cast<ChipModel>(slot.config.model);
      return BootFromFlash(slot.memory, size, rule);
    }
    case MemoryKind::kEeprom8:
    case MemoryKind::kEeprom16: return BootFromEeprom(slot.memory, size);
    case MemoryKind::kOtp: return BootFromOtp(slot.memory, size);
  }
  return std::nullopt;
}

}  // namespace

void BootChip(DeviceSlot& slot, bool fromMemory) {
  std::memset(slot.xdata, 0, sizeof slot.xdata);
  std::memset(slot.otpReport, 0, sizeof slot.otpReport);
  slot.ext = {};
  slot.ext.unit = 8;
  slot.ext.status = kStsCmd;
  ChipRegisters regs(slot);
  regs.PowerOn();

  Identity& id = slot.identity;
  id = {};
  id.vid = slot.config.vid;
  id.pid = slot.config.pid;
  id.rev = slot.config.rev;
  CopyText(id.manufacturer, "Virtual Codec");
  CopyText(id.product, std::string(ModelName(static_cast<ChipModel>(slot.config.model))) + " USB Audio");

  const std::optional<BootIdentity> image = Analyse(slot);
  const bool otp = static_cast<MemoryKind>(slot.config.memory) == MemoryKind::kOtp;
  if (!fromMemory || !image) {
    slot.runState = static_cast<std::uint32_t>(RunState::kRom);
    slot.bootSource = 0;
    // The ROM code reports an OTP that already holds code, and that code's version.
    if (otp && image) {
      regs.SetModeByte(kModeRomOtp);
      if (image->version) {
        std::memcpy(id.version, image->version->data(), 8);
        id.hasVersion = 1;
      }
    } else {
      regs.SetModeByte(kModeRom);
    }
    return;
  }
  slot.runState = static_cast<std::uint32_t>(RunState::kFirmware);
  slot.bootSource = slot.config.memory + 1;
  regs.SetModeByte(otp ? kModeSpiOtp : kModeSpi);
  if (image->version) {
    std::memcpy(id.version, image->version->data(), 8);
    id.hasVersion = 1;
  }
  if (image->vid) id.vid = *image->vid;
  if (image->pid) id.pid = *image->pid;
  if (image->rev) id.rev = *image->rev;
  if (!image->manufacturer.empty()) CopyText(id.manufacturer, image->manufacturer);
  if (!image->product.empty()) CopyText(id.product, image->product);
  CopyText(id.serial, image->serial);
}

}  // namespace vcodec
