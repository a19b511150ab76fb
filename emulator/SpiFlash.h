#pragma once
// The serial NOR flash behind the chip: erase sets 0xFF, programming only clears bits, the
// status register carries busy (bit 0), block protection (bits 2..4) and SRWD (bit 7).

#include <cstdint>

#include "emulator/BusLayout.h"

namespace vcodec {

inline constexpr std::uint8_t kSrBusy = 0x01;
inline constexpr std::uint8_t kSrBlockProtect = 0x1C;
inline constexpr std::uint8_t kSrWriteDisable = 0x80;  // SRWD: status register locked by WP#
inline constexpr std::uint32_t kSectorBytes = 4096;
inline constexpr std::uint32_t kPageBytes = 256;

class SpiFlash {
 public:
  SpiFlash(DeviceSlot& slot, std::uint64_t nowMs) : slot_(slot), nowMs_(nowMs) {}

  // Any block-protect bit guards the whole array (the chip never sets partial ranges).
  [[nodiscard]] bool Protected() const { return (slot_.flashSr & kSrBlockProtect) != 0; }
  [[nodiscard]] std::uint8_t ReadStatus() const;
  // A write the part ignores when SRWD is set and WP# is held low.
  void WriteStatus(std::uint8_t value, bool wpAsserted);
  // False (nothing changed) when protected or when the erase fault is armed.
  [[nodiscard]] bool EraseChip();
  [[nodiscard]] bool EraseSector(std::uint32_t address);
  // Programs bytes at address (new = old AND data, stuck bits stay 1). False when protected.
  [[nodiscard]] bool Program(std::uint32_t address, const std::uint8_t* data, std::uint32_t n,
                             bool commandStart);
  void ReadId(std::uint8_t id[8]) const;

 private:
  DeviceSlot& slot_;
  std::uint64_t nowMs_;
};

}  // namespace vcodec
