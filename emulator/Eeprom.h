#pragma once
// The I2C EEPROM behind the chip: byte writes that replace the cell, and a write-protect line
// that the chip drives through two register pairs. While the line is high the part
// acknowledges every byte and programs none.

#include <cstdint>

#include "emulator/BusLayout.h"

namespace vcodec {

class Eeprom {
 public:
  explicit Eeprom(DeviceSlot& slot) : slot_(slot) {}

  // The board pulls WP up; it is low (writes allowed) while 0xFEA0 bit 5 drives it with
  // 0xFEA6 bit 5 clear, or 0xFEA1 bit 1 drives it with 0xFEA7 bit 1 clear. A device made
  // without power-up protection has WP strapped low.
  [[nodiscard]] bool WriteProtected() const;
  // Programs n bytes at address unless protected; bits of a stuck cell keep their value.
  void Program(std::uint32_t address, const std::uint8_t* data, std::uint32_t n, bool commandStart);

 private:
  DeviceSlot& slot_;
};

}  // namespace vcodec
