#pragma once
// The process-wide control channel: the USB backend chosen at start-up, opened by OpenProxy and
// closed by CloseProxy, and the three channel calls every request goes through. A failed call
// leaves its platform error for the caller (ProxyLastError, per thread).

#include <cstdint>

#include "device/usb/UsbSeam.h"
#include "platform/NamedMutex.h"

// Opens the channel: the backend installed for testing, else the one SelectUsbBackend picks,
// and the command lock. True at once when already open.
[[nodiscard]] bool OpenProxy();
// Closes the lock and the backend. Always true.
bool CloseProxy();
[[nodiscard]] bool ProxyIsOpen();

// Binds an open interface handle; false with kUsbErrorPathNotFound when the channel is closed.
[[nodiscard]] bool ProxyBind(std::uint64_t interfaceHandle, std::uint64_t* deviceId);
// Sends one control request; true only when the device completed it. *transferred receives
// the bytes moved (0 on failure).
[[nodiscard]] bool ProxySubmitUrb(std::uint64_t deviceId, const ControlSetup& setup,
                                  std::uint8_t* data, std::uint32_t timeoutMs,
                                  std::uint32_t* transferred);
bool ProxyRelease(std::uint64_t deviceId);

[[nodiscard]] std::uint32_t ProxyLastError();
void SetProxyLastError(std::uint32_t error);

// The device tree of the open backend, or null when the channel is closed.
[[nodiscard]] UsbDeviceTree* ProxyDeviceTree();
// The command lock the entry points wait for; null when the channel is closed.
[[nodiscard]] NamedMutex* ProxyCommandLock();

// Tests hand the channel a backend of their own (not owned); null restores the selection.
void SetUsbBackendForTesting(UsbBackend* backend);
