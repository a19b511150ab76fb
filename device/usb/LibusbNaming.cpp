#include "device/usb/LibusbNaming.h"

#include <cstdio>

namespace {

std::string PortList(const UsbPortPath& path, char separator) {
  std::string out;
  for (std::size_t i = 0; i < path.ports.size(); ++i) {
    if (i > 0) out += separator;
    out += std::to_string(path.ports[i]);
  }
  return out;
}

std::string VidPid(std::uint16_t vid, std::uint16_t pid) {
  char text[32];
  std::snprintf(text, sizeof text, "USB\\VID_%04X&PID_%04X", vid, pid);
  return text;
}

}  // namespace

std::string LibusbRootHubInstanceId(std::uint8_t bus, bool superSpeed) {
  return std::string(superSpeed ? "USB\\ROOT_HUB30\\" : "USB\\ROOT_HUB20\\") + std::to_string(bus);
}

std::string LibusbDeviceInstanceId(std::uint16_t vid, std::uint16_t pid, const UsbPortPath& path) {
  return VidPid(vid, pid) + "\\" + std::to_string(path.bus) + "&" + PortList(path, '.');
}

std::string LibusbFunctionInstanceId(std::uint16_t vid, std::uint16_t pid, std::uint8_t interfaceNumber,
                                     const UsbPortPath& path) {
  char mi[16];
  std::snprintf(mi, sizeof mi, "&MI_%02X\\", interfaceNumber);
  char tail[16];
  std::snprintf(tail, sizeof tail, "&%04X", interfaceNumber);
  return VidPid(vid, pid) + mi + std::to_string(path.bus) + "&" + PortList(path, '.') +
         tail;
}

std::string LibusbLocationPath(const UsbPortPath& path) {
  std::string out = "USBROOT(" + std::to_string(path.bus) + ")";
  for (std::uint8_t port : path.ports) out += "#USB(" + std::to_string(port) + ")";
  return out;
}

std::string LibusbFunctionLocationPath(const UsbPortPath& path, std::uint8_t interfaceNumber) {
  return LibusbLocationPath(path) + "#USBMI(" + std::to_string(interfaceNumber) + ")";
}

std::string LibusbPhysicalObjectName(std::uint8_t bus, std::uint8_t address) {
  return "\\Device\\USBPDO-" + std::to_string(bus) + "-" + std::to_string(address);
}
