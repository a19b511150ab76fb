#include "device/UsbRequests.h"

#include "device/DeviceResult.h"
#include "device/ProxyChannel.h"

namespace {

constexpr std::uint8_t kDirIn = 0x80;
constexpr std::uint8_t kTypeClass = 0x20;
constexpr std::uint8_t kTypeVendor = 0x40;
constexpr std::uint8_t kRecipientInterface = 0x01;
constexpr std::uint8_t kGetDescriptor = 0x06;

bool Submit(std::uint64_t deviceId, const ControlSetup& setup, std::uint8_t* buffer,
            std::uint32_t* moved, std::uint32_t timeoutMs) {
  std::uint32_t n = 0;
  const bool ok = ProxySubmitUrb(deviceId, setup, buffer, timeoutMs, &n);
  if (moved != nullptr) *moved = n;
  if (!ok) return false;
  if (moved == nullptr && n != setup.length) {
    SetProxyLastError(kUsbErrorBadLength);
    return false;
  }
  return true;
}

bool GetDescriptor(std::uint64_t deviceId, std::uint8_t type, std::uint8_t index,
                   std::uint16_t language, std::uint8_t* buffer, std::uint16_t length,
                   std::uint32_t* moved) {
  ControlSetup s;
  s.requestType = kDirIn;  // standard, device
  s.request = kGetDescriptor;
  s.value = static_cast<std::uint16_t>(type << 8 | index);
  s.index = language;
  s.length = length;
  return Submit(deviceId, s, buffer, moved, kUsbRequestTimeoutMs);
}

// The direction of the setup packet follows the direction argument; the kind and recipient
// follow the request builder, whatever the type byte says.
std::uint8_t WireType(std::uint8_t kindAndRecipient, UsbDirection direction) {
  return static_cast<std::uint8_t>(kindAndRecipient | (direction == UsbDirection::kToHost ? kDirIn : 0));
}

}  // namespace

bool GetDeviceDescriptor(std::uint64_t deviceId, std::uint8_t* buffer) {
  return GetDescriptor(deviceId, 1, 0, 0, buffer, kDeviceDescriptorSize, nullptr);
}

bool GetConfigDescriptor(std::uint64_t deviceId, std::uint8_t* buffer, std::uint16_t length) {
  return GetDescriptor(deviceId, 2, 0, 0, buffer, length, nullptr);
}

bool GetStringDescriptor(std::uint64_t deviceId, std::uint8_t* buffer, std::uint16_t length,
                         std::uint8_t index, std::uint16_t languageId, std::uint32_t* received) {
  return GetDescriptor(deviceId, 3, index, languageId, buffer, length, received);
}

bool ClassInterfaceRequest(std::uint64_t deviceId, std::uint8_t /*requestType*/, std::uint8_t request,
                           std::uint8_t controlSelector, std::uint8_t unitId,
                           std::uint8_t interfaceNumber, std::uint8_t* buffer, std::uint16_t length,
                           UsbDirection direction, std::uint32_t* moved, std::uint32_t timeoutMs) {
  ControlSetup s;
  s.requestType = WireType(kTypeClass | kRecipientInterface, direction);
  s.request = request;
  s.value = static_cast<std::uint16_t>(controlSelector << 8);
  s.index = static_cast<std::uint16_t>(unitId << 8 | interfaceNumber);
  s.length = length;
  return Submit(deviceId, s, buffer, moved, timeoutMs);
}

bool VendorDeviceRequest(std::uint64_t deviceId, std::uint8_t /*requestType*/, std::uint8_t request,
                         std::uint16_t value, std::uint16_t index, std::uint8_t* buffer,
                         std::uint16_t length, UsbDirection direction, std::uint32_t* moved,
                         std::uint32_t timeoutMs) {
  ControlSetup s;
  s.requestType = WireType(kTypeVendor, direction);
  s.request = request;
  s.value = value;
  s.index = index;
  s.length = length;
  return Submit(deviceId, s, buffer, moved, timeoutMs);
}
