#include <cstdio>

#include "device/DeviceDiscovery.h"
#include "device/ProxyChannel.h"

std::uint32_t EnumDevices(std::vector<DeviceListEntry>* list) {
  list->clear();
  UsbDeviceTree* tree = ProxyDeviceTree();
  if (tree == nullptr) return kUsbErrorPathNotFound;
  const std::vector<DevNode> functions = tree->Enumerate(DeviceSet::kAudioFunctions);
  int position = 0;
  for (DevNode node : functions) {
    ++position;
    if (tree->HasProblem(node)) continue;
    DeviceListEntry e;
    e.devnode = node;
    if (auto name = tree->Property(node, NodeProperty::kFriendlyName)) {
      e.name = *name;
    } else {
      char text[48];
      std::snprintf(text, sizeof text, "Usb Video Device #%d", position);
      e.name = text;
    }
    const std::string id = tree->InstanceId(node).value_or("");
    e.instancePrefix = id.substr(0, id.find("&MI_"));
    e.locationPath = tree->Property(node, NodeProperty::kLocationPath).value_or("");
    list->push_back(std::move(e));
  }
  // Point each function at its USB device: the first entry whose prefix is in the device's id
  // and whose path contains the device's path.
  for (DevNode usb : tree->Enumerate(DeviceSet::kUsbDevices)) {
    const std::string id = tree->InstanceId(usb).value_or("");
    const std::string path = tree->Property(usb, NodeProperty::kLocationPath).value_or("");
    for (DeviceListEntry& e : *list) {
      if (id.find(e.instancePrefix) != std::string::npos && e.locationPath.find(path) != std::string::npos) {
        e.devnode = usb;
        break;
      }
    }
  }
  return 0;
}
