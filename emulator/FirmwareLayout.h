#pragma once
// Puts a firmware image into a boot memory the way the programming flows leave it, so that a
// device can start out "already programmed".

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/BusLayout.h"

namespace vcodec {

// False with *error when the image does not fit the memory.
bool LayFirmware(DeviceSlot& slot, const std::vector<std::uint8_t>& image, std::string* error);

// An erased memory of the slot's kind: 0xFF for flash and EEPROM, 0x00 for OTP.
void EraseMemory(DeviceSlot& slot);

}  // namespace vcodec
