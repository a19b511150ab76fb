#include "device/VendorEntry.h"

#include "device/DeviceResult.h"
#include "device/ProxyChannel.h"
#include "device/UsbRequests.h"

namespace {

std::uint32_t Send(std::uint64_t deviceId, std::uint8_t type, std::uint8_t request, std::uint16_t value,
                   std::uint16_t index, std::uint8_t* data, std::uint16_t length) {
  const UsbDirection dir = (type & 0x80) != 0 ? UsbDirection::kToHost : UsbDirection::kToDevice;
  return VendorDeviceRequest(deviceId, type, request, value, index, data, length, dir) ? 0 : ProxyLastError();
}

}  // namespace

std::uint32_t VReq_ReadByte(std::uint64_t deviceId, std::uint16_t value, std::uint8_t* byte) {
  return Send(deviceId, kVendorIn, 0x06, value, 0, byte, 1);
}

std::uint32_t VReq_Command(std::uint64_t deviceId, std::uint16_t value, std::uint16_t index) {
  return Send(deviceId, kVendorOut, 0x01, value, index, nullptr, 0);
}

std::uint32_t VReq_Reset(std::uint64_t deviceId, std::uint16_t argument, std::uint32_t kind) {
  if (kind < 7 || kind > 9) return kResultInvalidArg;
  return Send(deviceId, kVendorOut, static_cast<std::uint8_t>(0x20 + (kind - 7)), argument, 0, nullptr, 0);
}

std::uint32_t VReq_ReadStatus(std::uint64_t deviceId, std::uint32_t firstBlock, std::uint32_t length,
                              std::uint8_t* buffer) {
  for (std::uint32_t i = 0; i < length / 8; ++i) {
    std::uint32_t moved = 0;
    if (!VendorDeviceRequest(deviceId, kVendorIn, 0x07, static_cast<std::uint16_t>((firstBlock + i) & 0xFF), 0,
                             buffer + 8 * i, 8, UsbDirection::kToHost, &moved)) {
      return ProxyLastError();
    }
    if (moved != 8) return kResultFail;
  }
  return 0;
}

std::uint32_t VReq_ReadMem(std::uint64_t deviceId, std::uint16_t address, std::uint16_t length,
                           std::uint8_t* buffer) {
  return Send(deviceId, kVendorIn, 0x25, 0, address, buffer, length);
}

std::uint32_t VReq_WriteMem(std::uint64_t deviceId, std::uint16_t address, std::uint16_t length,
                            const std::uint8_t* buffer) {
  return Send(deviceId, kVendorOut, 0x24, 0, address, const_cast<std::uint8_t*>(buffer), length);
}
