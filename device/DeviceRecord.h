#pragma once
// What discovery learns about a device: the list entry of an enumerated audio function, the
// record of an opened device and the capabilities its probe finds.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/usb/UsbSeam.h"

struct DeviceListEntry {
  DevNode devnode = 0;         // the USB device when relinked, else the audio function
  std::string name;            // friendly name, or "Usb Video Device #%d"
  std::string instancePrefix;  // instance id up to "&MI_"
  std::string locationPath;
};

struct DeviceCaps {
  std::array<std::uint8_t, 18> deviceDescriptor{};
  std::vector<std::uint8_t> configDescriptor;  // wTotalLength bytes
  bool usable = false;                // the vendor-request set answered with the signature
  bool extUnitPresent = false;
  bool legacyReadAnswered = false;    // vendor request 6 answered
  bool vendorSetPresent = false;
  std::uint32_t extUnitId = 0;
  std::array<std::uint8_t, 96> status{};  // bytes 24..31: the signature

  [[nodiscard]] std::uint16_t Vid() const { return Le16(8); }
  [[nodiscard]] std::uint16_t Pid() const { return Le16(10); }
  [[nodiscard]] std::uint16_t Rev() const { return Le16(12); }

 private:
  [[nodiscard]] std::uint16_t Le16(std::size_t at) const {
    return static_cast<std::uint16_t>(deviceDescriptor[at] | deviceDescriptor[at + 1] << 8);
  }
};

enum class RecordKind : std::uint32_t { kAudio = 0, kCamera = 1, kUsbDevice = 2 };

inline constexpr std::uint32_t kUsbRecordTag = 0x4B4F4244;  // marks a USB device record
inline constexpr std::size_t kAncestorChainSize = 32;

struct DeviceRecord {
  std::uint32_t typeTag = 0;
  std::uint64_t deviceId = 0;
  DevNode devnode = 0;
  std::uint64_t interfaceHandle = 0;
  bool interfaceOpen = false;
  std::uint32_t rootHubKind = 1;   // 3 USB 3 root hub, 2 USB 2 root hub, 1 other
  std::string displayName;
  RecordKind kind = RecordKind::kAudio;
  // Entry 0 is the node's bus address on old systems (0 here); then the ancestors up to the
  // root hub.
  std::array<std::uint32_t, kAncestorChainSize> chain{};
  std::string locationPath;
  std::uint32_t interfaceNumber = 0;
  std::uint32_t chainCount = 0;
  std::unique_ptr<DeviceCaps> caps;
};
