#pragma once
// Turning a DeviceConfig into the stored record, and checking a stored record (a bus file is
// outside input: nothing read from it is used before these checks).

#include <string>

#include "emulator/BusLayout.h"
#include "emulator/DeviceConfig.h"

namespace vcodec {

bool MakeSlotConfig(const DeviceConfig& config, SlotConfig* out, std::string* error);
[[nodiscard]] bool ValidSlotConfig(const SlotConfig& config);

}  // namespace vcodec
