#pragma once
// Turning a DeviceConfig into the stored record, and checking a stored record (a bus file is
// outside input: nothing read from it is used before these checks).

#include <string>

#include "emulator/BusLayout.h"
#include "emulator/DeviceConfig.h"

namespace vcodec {

bool MakeSlotConfig(const DeviceConfig& config, SlotConfig* out, std::string* error);
[[nodiscard]] bool ValidSlotConfig(const SlotConfig& config);
// Brings the running state read from a bus file into range (texts terminated, command engine
// idle when its fields make no sense), so that no later access can leave the record.
void SanitizeSlotState(DeviceSlot& slot);

}  // namespace vcodec
