#pragma once
// libusb's error codes in the platform numbering of the seam (kUsbError*), translated here and
// nowhere else.

#include <cstdint>

[[nodiscard]] std::uint32_t LibusbErrorToPlatform(int libusbError);
