#pragma once
// The search for the vendor's audio extension unit in a configuration descriptor (outside
// input: whatever the device sends). The walk stays inside wTotalLength and inside every
// descriptor's bLength; a bLength below 2 ends it.

#include <cstddef>
#include <cstdint>

inline constexpr std::uint16_t kVendorExtensionCode = 0x3C5E;

// bUnitID of the first extension unit (subtype 8 or 9) with wExtensionCode 0x3C5E among the
// class-specific descriptors that directly follow the first interface descriptor; -1 if none.
[[nodiscard]] int FindAudioExtensionUnit(const std::uint8_t* config, std::size_t size);
