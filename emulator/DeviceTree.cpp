#include "emulator/DeviceTree.h"

#include <cstdarg>
#include <cstdio>

namespace vcodec {
namespace {

constexpr const char* kControllerPath = "PCIROOT(0)#PCI(1400)";

std::uint32_t Fnv1a(const std::string& text) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  return h;
}

std::uint32_t HubRootPort(const DeviceSlot& slot) {
  return slot.onCompanion != 0 ? kCompanionRootPort : kHubRootPort;
}

__attribute__((format(printf, 1, 2))) std::string Format(const char* format, ...) {
  char text[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

std::string HubId(std::uint32_t rootPort) {
  return Format("USB\\VID_FFFF&PID_%04X\\5&1C2D3E4F&0&%u", rootPort == kHubRootPort ? 1 : 2, rootPort);
}

std::string DeviceId(const DeviceSlot& slot, std::uint32_t port) {
  const Identity& id = slot.identity;
  // A device with a serial-number string is named by it, as Windows does.
  if (id.serial[0] != 0) return Format("USB\\VID_%04X&PID_%04X\\%.63s", id.vid, id.pid, id.serial);
  const std::uint32_t hash = Fnv1a(HubId(HubRootPort(slot)));
  return Format("USB\\VID_%04X&PID_%04X\\6&%X&0&%u", id.vid, id.pid, hash, port);
}

std::string HubPath(std::uint32_t rootPort) {
  return Format("%s#USBROOT(0)#USB(%u)", kControllerPath, rootPort);
}

}  // namespace

std::optional<NodeRef> FindNode(const BusImage& bus, DevNode node) {
  switch (node) {
    case kControllerNode: return NodeRef{NodeKind::kController};
    case kRootHubNode: return NodeRef{NodeKind::kRootHub};
    case kHubNode: return NodeRef{NodeKind::kHub};
    case kCompanionHubNode: return NodeRef{NodeKind::kCompanionHub};
    default: break;
  }
  if (node == 0) return std::nullopt;
  for (std::uint32_t i = 0; i < kMaxPorts; ++i) {
    const DeviceSlot& slot = bus.slots[i];
    if (slot.plugged == 0 || slot.connected == 0) continue;
    if (slot.usbNode == node) return NodeRef{NodeKind::kDevice, &slot, i + 1};
    if (slot.functionNode == node) return NodeRef{NodeKind::kFunction, &slot, i + 1};
  }
  return std::nullopt;
}

std::string NodeInstanceId(const NodeRef& ref) {
  switch (ref.kind) {
    case NodeKind::kController: return "PCI\\VEN_FFFF&DEV_0001&SUBSYS_00000000&REV_01\\3&11583659&0&A0";
    case NodeKind::kRootHub: return "USB\\ROOT_HUB30\\4&2A8B5F3&0&0";
    case NodeKind::kHub: return HubId(kHubRootPort);
    case NodeKind::kCompanionHub: return HubId(kCompanionRootPort);
    case NodeKind::kDevice: return DeviceId(*ref.slot, ref.port);
    case NodeKind::kFunction:
      return Format("USB\\VID_%04X&PID_%04X&MI_00\\7&%X&0&0000", ref.slot->identity.vid,
                    ref.slot->identity.pid, Fnv1a(DeviceId(*ref.slot, ref.port)));
  }
  return {};
}

std::optional<DevNode> NodeParent(const NodeRef& ref) {
  switch (ref.kind) {
    case NodeKind::kController: return std::nullopt;
    case NodeKind::kRootHub: return kControllerNode;
    case NodeKind::kHub: case NodeKind::kCompanionHub: return kRootHubNode;
    case NodeKind::kDevice: return ref.slot->onCompanion != 0 ? kCompanionHubNode : kHubNode;
    case NodeKind::kFunction: return ref.slot->usbNode;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> NodeBusAddress(const NodeRef& ref) {
  switch (ref.kind) {
    case NodeKind::kController: return std::nullopt;
    case NodeKind::kRootHub: return 0;
    case NodeKind::kHub: return kHubRootPort;
    case NodeKind::kCompanionHub: return kCompanionRootPort;
    case NodeKind::kDevice: case NodeKind::kFunction: return ref.port;
  }
  return std::nullopt;
}

std::optional<std::string> NodePropertyText(const NodeRef& ref, DevNode node, ::NodeProperty property) {
  switch (property) {
    case ::NodeProperty::kFriendlyName:
      if (ref.kind == NodeKind::kFunction && ref.slot->identity.product[0] != 0) {
        return std::string(ref.slot->identity.product);
      }
      return std::nullopt;
    case ::NodeProperty::kDeviceDescription:
      switch (ref.kind) {
        case NodeKind::kController: return "USB xHCI Compliant Host Controller";
        case NodeKind::kRootHub: return "USB Root Hub (USB 3.0)";
        case NodeKind::kHub: case NodeKind::kCompanionHub: return "Generic USB Hub";
        case NodeKind::kDevice: return "USB Composite Device";
        case NodeKind::kFunction: return "USB Audio Device";
      }
      return std::nullopt;
    case ::NodeProperty::kClassName:
      return ref.kind == NodeKind::kFunction ? "MEDIA" : "USB";
    case ::NodeProperty::kLocationPath:
      switch (ref.kind) {
        case NodeKind::kController: return kControllerPath;
        case NodeKind::kRootHub: return std::string(kControllerPath) + "#USBROOT(0)";
        case NodeKind::kHub: return HubPath(kHubRootPort);
        case NodeKind::kCompanionHub: return HubPath(kCompanionRootPort);
        case NodeKind::kDevice: return HubPath(HubRootPort(*ref.slot)) + Format("#USB(%u)", ref.port);
        case NodeKind::kFunction:
          return HubPath(HubRootPort(*ref.slot)) + Format("#USB(%u)#USBMI(0)", ref.port);
      }
      return std::nullopt;
    case ::NodeProperty::kPhysicalObjectName:
      if (ref.kind == NodeKind::kController) return "\\Device\\NTPNP_PCI0012";
      return Format("\\Device\\USBPDO-%u", node);
  }
  return std::nullopt;
}

}  // namespace vcodec
