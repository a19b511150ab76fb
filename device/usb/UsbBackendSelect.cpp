#include "device/usb/UsbBackendSelect.h"

#include <cstdlib>

#include "device/usb/LibusbBackend.h"

std::unique_ptr<UsbBackend> SelectUsbBackend(std::string* error) {
  return OpenLibusbBackend(error);
}
