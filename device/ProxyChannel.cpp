#include "device/ProxyChannel.h"

#include <cstdio>
#include <memory>
#include <string>

#include "device/CommandLock.h"
#include "device/usb/UsbBackendSelect.h"

namespace {

// Written only by OpenProxy/CloseProxy on the main thread at start and exit.
struct ChannelState {
  UsbBackend* testBackend = nullptr;
  std::unique_ptr<UsbBackend> owned;
  UsbBackend* backend = nullptr;
  std::unique_ptr<NamedMutex> lock;
};

ChannelState& State() {
  static ChannelState state;
  return state;
}

thread_local std::uint32_t t_lastError = 0;

}  // namespace

bool OpenProxy() {
  ChannelState& s = State();
  if (s.backend != nullptr) return true;
  if (s.testBackend != nullptr) {
    s.backend = s.testBackend;
  } else {
    std::string error;
    s.owned = SelectUsbBackend(&error);
    if (!s.owned) {
      std::fprintf(stderr, "lumatrace: no USB access: %s\n", error.c_str());
      return false;
    }
    s.backend = s.owned.get();
  }
  s.lock = std::make_unique<NamedMutex>(CommandLockName());
  return true;
}

bool CloseProxy() {
  ChannelState& s = State();
  s.lock.reset();
  s.backend = nullptr;
  s.owned.reset();
  return true;
}

bool ProxyIsOpen() { return State().backend != nullptr; }

bool ProxyBind(std::uint64_t interfaceHandle, std::uint64_t* deviceId) {
  *deviceId = 0;
  UsbBackend* b = State().backend;
  if (b == nullptr) {
    t_lastError = kUsbErrorPathNotFound;
    return false;
  }
  const std::uint32_t e = b->Bind(interfaceHandle, deviceId);
  if (e != kUsbErrorSuccess || *deviceId == 0) {
    t_lastError = e != kUsbErrorSuccess ? e : kUsbErrorGenFailure;
    *deviceId = 0;
    return false;
  }
  return true;
}

bool ProxySubmitUrb(std::uint64_t deviceId, const ControlSetup& setup, std::uint8_t* data,
                    std::uint32_t timeoutMs, std::uint32_t* transferred) {
  *transferred = 0;
  UsbBackend* b = State().backend;
  if (b == nullptr) {
    t_lastError = kUsbErrorPathNotFound;
    return false;
  }
  const TransferResult r = b->Submit(deviceId, setup, data, timeoutMs);
  if (r.error != kUsbErrorSuccess) {
    t_lastError = r.error;
    return false;
  }
  // A backend never reports more than asked; be safe against one that does.
  *transferred = r.transferred > setup.length ? setup.length : r.transferred;
  return true;
}

bool ProxyRelease(std::uint64_t deviceId) {
  UsbBackend* b = State().backend;
  if (b == nullptr || deviceId == 0) return false;
  b->Release(deviceId);
  return true;
}

std::uint32_t ProxyLastError() { return t_lastError; }

void SetProxyLastError(std::uint32_t error) { t_lastError = error; }

UsbDeviceTree* ProxyDeviceTree() { return State().backend; }

NamedMutex* ProxyCommandLock() { return State().lock.get(); }

void SetUsbBackendForTesting(UsbBackend* backend) { State().testBackend = backend; }
