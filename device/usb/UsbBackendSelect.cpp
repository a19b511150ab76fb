#include "device/usb/UsbBackendSelect.h"

#include <cstdlib>

#include "device/usb/EmulatorBackend.h"

std::unique_ptr<UsbBackend> SelectUsbBackend(std::string* error) {
  const char* bus = std::getenv(kEmulatorEnvironmentVariable);
  if (bus != nullptr && *bus != '\0') return OpenEmulatorBackend(bus, error);
  return OpenPlatformUsbBackend(error);
}
