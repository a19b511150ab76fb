#include "emulator/SpiFlash.h"

#include <cstring>

namespace vcodec {

std::uint8_t SpiFlash::ReadStatus() const {
  std::uint8_t sr = static_cast<std::uint8_t>(slot_.flashSr & ~kSrBusy);
  if (slot_.faults.busyForever != 0 || nowMs_ < slot_.flashBusyUntilMs) sr |= kSrBusy;
  return sr;
}

void SpiFlash::WriteStatus(std::uint8_t value, bool wpAsserted) {
  if ((slot_.flashSr & kSrWriteDisable) != 0 && wpAsserted) return;
  slot_.flashSr = static_cast<std::uint8_t>(value & (kSrBlockProtect | kSrWriteDisable));
  slot_.flashBusyUntilMs = nowMs_ + slot_.config.srWriteMs;
}

bool SpiFlash::EraseChip() {
  if (Protected() || slot_.faults.eraseFails != 0) return false;
  std::memset(slot_.memory, 0xFF, slot_.config.memorySize);
  slot_.counters.erases++;
  slot_.counters.busUs += static_cast<std::uint64_t>(slot_.config.chipEraseMs) * 1000;
  return true;
}

bool SpiFlash::EraseSector(std::uint32_t address) {
  if (Protected() || slot_.faults.eraseFails != 0) return false;
  const std::uint32_t start = address & ~(kSectorBytes - 1);
  std::memset(slot_.memory + start, 0xFF, kSectorBytes);
  slot_.counters.erases++;
  slot_.counters.busUs += static_cast<std::uint64_t>(slot_.config.sectorEraseMs) * 1000;
  return true;
}

bool SpiFlash::Program(std::uint32_t address, const std::uint8_t* data, std::uint32_t n,
                       bool commandStart) {
  if (Protected()) return false;
  for (std::uint32_t i = 0; i < n; ++i) {
    const std::uint32_t a = address + i;
    std::uint8_t stuck = 0;
    for (std::uint32_t s = 0; s < slot_.faults.stuckCount && s < kMaxStuckBits; ++s) {
      if (slot_.faults.stuck[s].address == a) stuck |= static_cast<std::uint8_t>(slot_.faults.stuck[s].mask);
    }
    slot_.memory[a] = static_cast<std::uint8_t>(slot_.memory[a] & (data[i] | stuck));
    if ((i == 0 && commandStart) || a % kPageBytes == 0) {
      slot_.counters.pagesProgrammed++;
      slot_.counters.busUs += slot_.config.pageProgramUs;
    }
  }
  return true;
}

void SpiFlash::ReadId(std::uint8_t id[8]) const {
  std::memset(id, 0, 8);
  unsigned log2 = 0;
  while ((1u << log2) < slot_.config.memorySize) ++log2;
  id[0] = 0xEF;  // JEDEC manufacturer, memory type, capacity (log2 of bytes)
  id[1] = 0x40;
  id[2] = static_cast<std::uint8_t>(log2);
}

}  // namespace vcodec
