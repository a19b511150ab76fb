#pragma once
// What the chip does when it comes out of reset: clear its internal memory, set its registers,
// and either run its ROM code or boot the image its memory holds (when that image is valid).

#include "emulator/BusLayout.h"

namespace vcodec {

// fromMemory false: the ROM update code was asked for (or there is nothing to boot).
void BootChip(DeviceSlot& slot, bool fromMemory);

}  // namespace vcodec
