#include <libusb.h>

#include "device/usb/LibusbErrors.h"
#include "device/usb/UsbSeam.h"

std::uint32_t LibusbErrorToPlatform(int e) {
  switch (e) {
    case LIBUSB_SUCCESS: return kUsbErrorSuccess;
    case LIBUSB_ERROR_NO_DEVICE: return kUsbErrorDeviceNotConnected;
    case LIBUSB_ERROR_TIMEOUT: return kUsbErrorTimeout;
    case LIBUSB_ERROR_ACCESS: return kUsbErrorAccessDenied;
    case LIBUSB_ERROR_NOT_FOUND: return kUsbErrorNotFound;
    case LIBUSB_ERROR_BUSY: return kUsbErrorAccessDenied;  // another program holds the interface
    case LIBUSB_ERROR_INVALID_PARAM: return kUsbErrorInvalidParameter;
    default: return kUsbErrorGenFailure;  // stall, I/O, overflow, ...
  }
}
