#pragma once
// The extension unit's two controls as the chip implements them: control 10 takes 8-byte
// command blocks and returns the status block, control 11 carries the data phase in units of
// the current data-control size. Refused requests stall and leave a VCMD status.

#include <cstdint>

#include "device/usb/UsbSeam.h"
#include "emulator/BusLayout.h"
#include "emulator/Chip.h"

namespace vcodec {

// A class request to the AudioControl interface. data holds setup.length bytes.
[[nodiscard]] TransferResult HandleExtUnitRequest(DeviceSlot& slot, Chip& chip,
                                                  const ControlSetup& setup, std::uint8_t* data);

// Decodes a command block; false with *status set for a block the chip does not know.
bool DecodeCommandBlock(const std::uint8_t block[8], Command* cmd, std::uint8_t* status);

}  // namespace vcodec
