#pragma once
// The standard descriptors the device returns: device, configuration (AudioControl interface
// with the extension unit, in the layout the device was built with) and UTF-16 strings.

#include <cstdint>
#include <optional>
#include <vector>

#include "emulator/BusLayout.h"

namespace vcodec {

inline constexpr std::uint8_t kExtUnitId = 6;
inline constexpr std::uint8_t kAudioControlInterface = 0;

[[nodiscard]] std::vector<std::uint8_t> DeviceDescriptor(const DeviceSlot& slot);
[[nodiscard]] std::vector<std::uint8_t> ConfigurationDescriptor(const DeviceSlot& slot);
// String index 0 is the language table; nullopt for an index the device does not have.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> StringDescriptor(const DeviceSlot& slot,
                                                                        std::uint8_t index);

// Whether the chip answers extension-unit requests / the vendor request with this code.
[[nodiscard]] bool OffersExtUnit(const DeviceSlot& slot);
[[nodiscard]] bool OffersVendor(const DeviceSlot& slot, std::uint8_t request);

}  // namespace vcodec
