#pragma once
// The vendor device requests the chip answers: one request per command, address and count
// packed into wValue and wIndex. A request the chip refuses stalls.

#include <cstdint>

#include "device/usb/UsbSeam.h"
#include "emulator/BusLayout.h"
#include "emulator/Chip.h"

namespace vcodec {

inline constexpr std::uint32_t kVendorMaxData = 4096;  // the chip's transfer buffer

[[nodiscard]] TransferResult HandleVendorRequest(Chip& chip,
                                                 const ControlSetup& setup, std::uint8_t* data);

}  // namespace vcodec
