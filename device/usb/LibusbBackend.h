#pragma once
// The real-device backend on Linux: libusb-1.0 for control transfers, device lists and
// hot-plug. The device tree is synthesised from bus and port numbers (LibusbNaming.h): a root
// hub per bus, a node per USB device, a node per AudioControl interface (the audio function).
//
// Opening an interface opens the device and claims its AudioControl interface, detaching the
// kernel's audio driver for as long as it is open; closing gives the interface back to it.

#include <memory>
#include <string>

#include "device/usb/UsbSeam.h"

// The rule that gives the logged-in user access to the codecs (packaging/udev/).
inline constexpr const char* kUdevRuleName = "70-lumatrace.rules";

// Null with *error set when libusb cannot start (no USB subsystem, for example).
[[nodiscard]] std::unique_ptr<UsbBackend> OpenLibusbBackend(std::string* error);
