#pragma once
// Result codes of the device layer: 0 is success, 0x8007xxxx wraps a platform error.

#include <cstdint>

#include "device/usb/UsbSeam.h"

inline constexpr std::uint32_t kResultOk = 0;
inline constexpr std::uint32_t kResultLockNotTaken = 1;  // the command lock was not obtained
inline constexpr std::uint32_t kResultNotImplemented = 0x80004001;
inline constexpr std::uint32_t kResultFail = 0x80004005;
inline constexpr std::uint32_t kResultInvalidArg = 0x80070057;
inline constexpr std::uint32_t kResultDeviceNotConnected = 0x8007048F;

// Platform errors the device layer produces itself (Windows numbering, like kUsbError*).
inline constexpr std::uint32_t kUsbErrorBadLength = 24;       // a data phase moved fewer bytes
inline constexpr std::uint32_t kUsbErrorSemTimeout = 121;     // the command lock was not obtained
inline constexpr std::uint32_t kUsbErrorInsufficientBuffer = 122;

// HRESULT_FROM_WIN32, except that a failure the platform left without an error code still
// yields a failure: 0 would read as success.
[[nodiscard]] constexpr std::uint32_t HResultFromWin32(std::uint32_t error) {
  if (error == 0) return kResultFail;
  if (static_cast<std::int32_t>(error) <= 0) return error;
  return 0x80070000u | (error & 0xFFFFu);
}
