#pragma once
// The control requests the device layer builds. Each returns true when the channel call
// succeeded and the device completed the request; otherwise the platform error is left in
// ProxyLastError(). Every request waits at most timeoutMs (5000 ms unless given).
//
// Data phases: a caller that passes no out count needs exactly `length` bytes; fewer fail with
// kUsbErrorBadLength. A caller that passes one receives the count and judges it itself.

#include <cstdint>

inline constexpr std::uint32_t kUsbRequestTimeoutMs = 5000;
inline constexpr std::uint32_t kDeviceDescriptorSize = 18;
inline constexpr std::uint32_t kConfigHeaderSize = 9;

enum class UsbDirection { kToDevice, kToHost };

// Descriptor type 1, index 0: exactly 18 bytes.
[[nodiscard]] bool GetDeviceDescriptor(std::uint64_t deviceId, std::uint8_t* buffer);
// Descriptor type 2, index 0: exactly `length` bytes.
[[nodiscard]] bool GetConfigDescriptor(std::uint64_t deviceId, std::uint8_t* buffer, std::uint16_t length);
// Descriptor type 3; any length up to `length` is accepted, *received gets it.
[[nodiscard]] bool GetStringDescriptor(std::uint64_t deviceId, std::uint8_t* buffer, std::uint16_t length,
                                       std::uint8_t index, std::uint16_t languageId,
                                       std::uint32_t* received);

// Class request to an interface: wValue = selector × 256, wIndex = unit × 256 + interface.
[[nodiscard]] bool ClassInterfaceRequest(std::uint64_t deviceId, std::uint8_t requestType,
                                         std::uint8_t request, std::uint8_t controlSelector,
                                         std::uint8_t unitId, std::uint8_t interfaceNumber,
                                         std::uint8_t* buffer, std::uint16_t length,
                                         UsbDirection direction, std::uint32_t* moved = nullptr,
                                         std::uint32_t timeoutMs = kUsbRequestTimeoutMs);

// Vendor request to the device.
[[nodiscard]] bool VendorDeviceRequest(std::uint64_t deviceId, std::uint8_t requestType,
                                       std::uint8_t request, std::uint16_t value, std::uint16_t index,
                                       std::uint8_t* buffer, std::uint16_t length,
                                       UsbDirection direction, std::uint32_t* moved = nullptr,
                                       std::uint32_t timeoutMs = kUsbRequestTimeoutMs);
