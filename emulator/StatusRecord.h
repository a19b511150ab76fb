#pragma once
// The chip's status area as GetDevStatus reads it, 8 bytes per block: blocks 0..12 are the
// 104-byte status record (signature at 24..31, code descriptor and version words at 64..83),
// blocks 128..131 the version area (version block at bytes 12..19).

#include <cstdint>
#include <string>

#include "emulator/BusLayout.h"

namespace vcodec {

inline constexpr std::uint32_t kStatusBlocks = 256;

void ReadStatusBlock(const DeviceSlot& slot, std::uint32_t block, std::uint8_t out[8]);

// The version the ROM code reports of itself.
void RomVersion(const DeviceSlot& slot, std::uint8_t version[8]);

}  // namespace vcodec

namespace vcodec {

// The version text a host derives from the mode byte and the status area (what `show` prints).
[[nodiscard]] std::string HostVersionText(const DeviceSlot& slot);

}  // namespace vcodec
