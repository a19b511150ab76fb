#pragma once
// The backend is chosen once at start-up: LUMATRACE_EMULATOR naming an emulated bus file
// selects the emulator; otherwise the platform's real backend is used.

#include <memory>
#include <string>

#include "device/usb/UsbSeam.h"

inline constexpr const char* kEmulatorEnvironmentVariable = "LUMATRACE_EMULATOR";

// Null with *error set when the chosen backend cannot start.
[[nodiscard]] std::unique_ptr<UsbBackend> SelectUsbBackend(std::string* error);

// The platform's real backend (libusb on Linux); each platform's backend file provides it.
[[nodiscard]] std::unique_ptr<UsbBackend> OpenPlatformUsbBackend(std::string* error);
