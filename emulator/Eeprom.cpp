#include "emulator/Eeprom.h"

namespace vcodec {
namespace {

constexpr std::uint32_t kEepromPageBytes = 32;

bool DrivesLow(const DeviceSlot& slot, std::uint16_t drive, std::uint16_t level, std::uint8_t bit) {
  return (slot.xdata[drive] & bit) != 0 && (slot.xdata[level] & bit) == 0;
}

std::uint8_t StuckMask(const DeviceSlot& slot, std::uint32_t address) {
  std::uint8_t mask = 0;
  for (std::uint32_t s = 0; s < slot.faults.stuckCount && s < kMaxStuckBits; ++s) {
    if (slot.faults.stuck[s].address == address) mask = static_cast<std::uint8_t>(mask | slot.faults.stuck[s].mask);
  }
  return mask;
}

}  // namespace

bool Eeprom::WriteProtected() const {
  if (slot_.config.flashProtected == 0) return false;
  return !DrivesLow(slot_, 0xFEA0, 0xFEA6, 0x20) && !DrivesLow(slot_, 0xFEA1, 0xFEA7, 0x02);
}

void Eeprom::Program(std::uint32_t address, const std::uint8_t* data, std::uint32_t n, bool commandStart) {
  if (WriteProtected()) return;
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t a = address + i;
    const std::uint8_t stuck = StuckMask(slot_, a);
    slot_.memory[a] = static_cast<std::uint8_t>((slot_.memory[a] & stuck) | (data[i] & ~stuck));
    if ((i == 0 && commandStart) || a % kEepromPageBytes == 0) {
      slot_.counters.pagesProgrammed++;
      slot_.counters.busUs += slot_.config.pageProgramUs;
    }
  }
}

}  // namespace vcodec
