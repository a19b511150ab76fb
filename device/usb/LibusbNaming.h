#pragma once
// How the libusb backend names what Linux knows by bus and port numbers, in the forms the
// discovery code expects of a device tree:
//   instance id    "USB\VID_3C5E&PID_4C15\2&1.4"  (function: "...&MI_00\2&1.4&0000")
//   root hub id    "USB\ROOT_HUB30\2"  or  "USB\ROOT_HUB20\2"
//   location path  "USBROOT(2)#USB(1)#USB(4)"       (function: "...#USBMI(0)")
//   object name    "\Device\USBPDO-2-7"  (bus and device address: new after re-enumeration)
// Everything but the object name depends only on bus and port numbers, so a device that comes
// back on the same port gets the same names.

#include <cstdint>
#include <string>
#include <vector>

struct UsbPortPath {
  std::uint8_t bus = 0;
  std::vector<std::uint8_t> ports;  // from the root hub down; empty for the root hub
};

[[nodiscard]] std::string LibusbRootHubInstanceId(std::uint8_t bus, bool superSpeed);
[[nodiscard]] std::string LibusbDeviceInstanceId(std::uint16_t vid, std::uint16_t pid, const UsbPortPath& path);
[[nodiscard]] std::string LibusbFunctionInstanceId(std::uint16_t vid, std::uint16_t pid, std::uint8_t interfaceNumber,
                                                   const UsbPortPath& path);
[[nodiscard]] std::string LibusbLocationPath(const UsbPortPath& path);
[[nodiscard]] std::string LibusbFunctionLocationPath(const UsbPortPath& path, std::uint8_t interfaceNumber);
[[nodiscard]] std::string LibusbPhysicalObjectName(std::uint8_t bus, std::uint8_t address);
