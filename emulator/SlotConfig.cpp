#include "emulator/SlotConfig.h"

namespace vcodec {

bool MakeSlotConfig(const DeviceConfig& config, SlotConfig* out, std::string* error) {
  SlotConfig c{};
  c.model = static_cast<std::uint32_t>(config.model);
  c.chipId = config.chipId ? *config.chipId : DefaultChipId(config.model);
  c.memory = static_cast<std::uint32_t>(config.memory);
  c.memorySize = config.memorySize != 0 ? config.memorySize : DefaultMemorySize(config.memory);
  c.commands = static_cast<std::uint32_t>(config.commands);
  c.maxUnit = config.maxUnit;
  c.extUnit = static_cast<std::uint32_t>(config.extUnit);
  c.vid = config.vid;
  c.pid = config.pid;
  c.rev = config.rev;
  c.optionByte = config.optionByte;
  c.resetDelayMs = config.resetDelayMs;
  c.hasCompanion = config.hasCompanion ? 1 : 0;
  c.flashProtected = config.flashProtected ? 1 : 0;
  c.srWriteMs = config.srWriteMs;
  c.perTransferUs = config.latency.perTransferUs;
  c.chipEraseMs = config.latency.chipEraseMs;
  c.sectorEraseMs = config.latency.sectorEraseMs;
  c.pageProgramUs = config.latency.pageProgramUs;
  if (!ValidMemorySize(config.memory, c.memorySize)) {
    if (error != nullptr) *error = "memory size not possible for " + std::string(MemoryName(config.memory));
    return false;
  }
  if (c.maxUnit != 8 && c.maxUnit != 32 && c.maxUnit != 64) {
    if (error != nullptr) *error = "data unit must be 8, 32 or 64";
    return false;
  }
  if (!ValidSlotConfig(c)) {
    if (error != nullptr) *error = "invalid device configuration";
    return false;
  }
  *out = c;
  return true;
}

bool ValidSlotConfig(const SlotConfig& c) {
  return c.model <= 3 && c.chipId <= 0xFFFF && c.memory <= 3 &&
         ValidMemorySize(static_cast<MemoryKind>(c.memory), c.memorySize) && c.memorySize <= kMaxMemoryBytes &&
         c.commands <= 3 && (c.maxUnit == 8 || c.maxUnit == 32 || c.maxUnit == 64) && c.extUnit <= 3 &&
         c.vid <= 0xFFFF && c.pid <= 0xFFFF && c.rev <= 0xFFFF && c.optionByte <= 0xFF &&
         c.resetDelayMs <= 600000 && c.srWriteMs <= 60000;
}

void SanitizeSlotState(DeviceSlot& slot) {
  slot.identity.manufacturer[sizeof slot.identity.manufacturer - 1] = 0;
  slot.identity.product[sizeof slot.identity.product - 1] = 0;
  slot.identity.serial[sizeof slot.identity.serial - 1] = 0;
  slot.identity.vid &= 0xFFFF;
  slot.identity.pid &= 0xFFFF;
  slot.identity.rev &= 0xFFFF;
  if (slot.runState > 1) slot.runState = 0;
  if (slot.onCompanion > 1) slot.onCompanion = 0;
  ExtUnitState& ext = slot.ext;
  const bool unitOk = ext.unit == 8 || ext.unit == 32 || ext.unit == 64;
  if (!unitOk || ext.phase > 3 || ext.total > 0xFFFF || ext.done > ext.total) {
    ext = {};
    ext.unit = 8;
  }
  if (slot.faults.stuckCount > kMaxStuckBits) slot.faults.stuckCount = kMaxStuckBits;
  if (slot.faults.otpFailCount > kMaxOtpFailAddresses) slot.faults.otpFailCount = kMaxOtpFailAddresses;
}

}  // namespace vcodec
