#include <cctype>
#include <cstring>

#include "app/Trace.h"
#include "device/DeviceDiscovery.h"
#include "device/DeviceResult.h"
#include "device/ProxyChannel.h"
#include "device/UsbRequests.h"
#include "platform/Clock.h"

namespace {

constexpr std::uint32_t kWalkFailed = 2;
constexpr std::uint32_t kDescriptorWaitMs = 200;
// A device still starting answers not-ready for a while; 5 s is far more than any needs.
constexpr int kNotReadyTries = 25;

bool ContainsNoCase(const std::string& text, const char* what) {
  const std::size_t n = std::strlen(what);
  for (std::size_t i = 0; i + n <= text.size(); ++i) {
    std::size_t k = 0;
    while (k < n && std::toupper(static_cast<unsigned char>(text[i + k])) ==
                        std::toupper(static_cast<unsigned char>(what[k]))) {
      ++k;
    }
    if (k == n) return true;
  }
  return false;
}

// Root-hub kind of a node by its instance id, and whether the walk ends there.
std::uint32_t RootHubKind(const std::string& id, bool* ends) {
  static const char* const kUsb3[] = {"ROOT_HUB30", "TIUSBD_HUB", "ROOT_HUB_FL30", "VIA_ROOT_HUB", "ASMEDIAUSBD_HUB"};
  *ends = ContainsNoCase(id, "ROOT_HUB") || ContainsNoCase(id, "TIUSBD_HUB") || ContainsNoCase(id, "ASMEDIAUSBD_HUB") ||
          ContainsNoCase(id, "IWSEPAL\\VRHUB") || ContainsNoCase(id, "VMUSB\\HUB");
  for (const char* name : kUsb3) {
    if (ContainsNoCase(id, name)) return 3;
  }
  if (ContainsNoCase(id, "ROOT_HUB20") || ContainsNoCase(id, "IWSEPAL\\VRHUB")) return 2;
  return 1;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

RecordKind KindOfClass(const std::string& cls) {
  if (cls.compare(0, 3, "Ima") == 0 || cls.compare(0, 3, "Cam") == 0) return RecordKind::kCamera;
  if (cls.compare(0, 2, "US") == 0) return RecordKind::kUsbDevice;
  return RecordKind::kAudio;
}

InterfaceClass InterfaceOfKind(RecordKind kind) {
  switch (kind) {
    case RecordKind::kUsbDevice: return InterfaceClass::kUsbDevice;
    case RecordKind::kCamera: return InterfaceClass::kCamera;
    default: return InterfaceClass::kAudio;
  }
}

void ReleaseBinding(UsbDeviceTree* tree, DeviceRecord* r) {
  if (r->deviceId != 0) (void)ProxyRelease(r->deviceId);
  if (r->interfaceOpen) tree->CloseInterface(r->interfaceHandle);
  r->deviceId = 0;
  r->interfaceOpen = false;
  r->interfaceHandle = 0;
}

}  // namespace

std::uint32_t OpenDeviceRecord(DevNode devnode, DeviceRecord* record, std::uint32_t* waitedMs) {
  if (waitedMs != nullptr) *waitedMs = 0;
  *record = DeviceRecord{};
  record->typeTag = kUsbRecordTag;
  UsbDeviceTree* tree = ProxyDeviceTree();
  if (tree == nullptr) return kUsbErrorPathNotFound;
  const std::optional<std::string> id = tree->InstanceId(devnode);
  if (!id) return kUsbErrorNoMoreItems;  // the node has gone (re-enumeration)

  record->kind = KindOfClass(tree->Property(devnode, NodeProperty::kClassName).value_or(""));
  if (!tree->Property(devnode, NodeProperty::kFriendlyName)) {
    record->displayName = tree->Property(devnode, NodeProperty::kDeviceDescription).value_or("");
  }
  record->locationPath = tree->Property(devnode, NodeProperty::kLocationPath).value_or("");
  record->chain[0] = 0;
  record->chainCount = 1;

  DevNode walkFrom = devnode;
  if (const std::size_t mi = id->find("MI_"); mi != std::string::npos) {
    // Two hexadecimal digits: 0..255, the low byte of wIndex.
    const int hi = mi + 4 < id->size() ? HexDigit((*id)[mi + 3]) : -1;
    const int lo = mi + 4 < id->size() ? HexDigit((*id)[mi + 4]) : -1;
    if (hi < 0 || lo < 0) return kUsbErrorInvalidData;
    record->interfaceNumber = static_cast<std::uint32_t>(hi * 16 + lo);
    const std::optional<DevNode> parent = tree->Parent(devnode);
    if (!parent) return kWalkFailed;
    walkFrom = *parent;
  }

  std::uint64_t handle = 0;
  std::uint32_t e = tree->OpenInterface(devnode, InterfaceOfKind(record->kind), &handle);
  if (e != kUsbErrorSuccess) e = tree->OpenInterface(devnode, InterfaceClass::kVideo, &handle);
  if (e != kUsbErrorSuccess) return e;
  record->interfaceHandle = handle;
  record->interfaceOpen = true;
  if (!ProxyBind(handle, &record->deviceId)) {
    e = ProxyLastError();
    ReleaseBinding(tree, record);
    return e;
  }

  // Up to the root hub. The chain has room for 31 ancestors after entry 0.
  DevNode node = walkFrom;
  for (;;) {
    const std::optional<DevNode> parent = tree->Parent(node);
    if (!parent || record->chainCount >= kAncestorChainSize) {
      ReleaseBinding(tree, record);
      return kWalkFailed;
    }
    record->chain[record->chainCount++] = *parent;
    bool ends = false;
    record->rootHubKind = RootHubKind(tree->InstanceId(*parent).value_or(""), &ends);
    if (ends) break;
    node = *parent;
  }

  record->devnode = devnode;
  LearnCompanionPort(*record, devnode);

  // The device may still be starting: not-ready answers are retried, a bounded number of times.
  std::uint8_t descriptor[kDeviceDescriptorSize];
  std::uint32_t waited = 0;
  for (int tries = 0; tries < kNotReadyTries; ++tries) {
    SleepMs(kDescriptorWaitMs);
    waited += kDescriptorWaitMs;
    if (GetDeviceDescriptor(record->deviceId, descriptor) || ProxyLastError() != kUsbErrorNotReady) break;
  }
  if (waitedMs != nullptr) *waitedMs = waited;
  return 0;
}

void CloseDeviceRecord(DeviceRecord* record) {
  record->caps.reset();
  if (UsbDeviceTree* tree = ProxyDeviceTree(); tree != nullptr) {
    ReleaseBinding(tree, record);
  } else {
    record->deviceId = 0;
    record->interfaceOpen = false;
  }
  record->devnode = 0;
  record->chainCount = 0;
}

std::uint32_t GetPortAndParent(DevNode devnode, std::uint32_t* port, DevNode* parent) {
  *port = 0;
  *parent = 0;
  UsbDeviceTree* tree = ProxyDeviceTree();
  if (tree == nullptr) return kUsbErrorPathNotFound;
  *port = tree->BusAddress(devnode).value_or(0);
  DevNode node = devnode;
  if (tree->InstanceId(devnode).value_or("").find("MI_") != std::string::npos) {
    const std::optional<DevNode> up = tree->Parent(node);
    if (!up) return kUsbErrorNotFound;
    node = *up;
  }
  const std::optional<DevNode> up = tree->Parent(node);
  if (!up) return kUsbErrorNotFound;
  *parent = *up;
  return 0;
}

std::uint32_t GetDevInstPdoName(DevNode devnode, char* buffer, std::uint32_t* size) {
  TraceScope scope("GetDevInstPdoName", 0);
  UsbDeviceTree* tree = ProxyDeviceTree();
  const std::optional<std::string> name =
      tree != nullptr ? tree->Property(devnode, NodeProperty::kPhysicalObjectName) : std::nullopt;
  if (!name) {
    TraceWrite(scope, "SetupDiGetDeviceRegistryProperty error %d\n", static_cast<int>(kUsbErrorInvalidData));
    return kUsbErrorInvalidData;
  }
  const std::uint32_t needed = static_cast<std::uint32_t>(name->size() + 1);
  if (*size < needed) {
    *size = needed;
    return kUsbErrorInsufficientBuffer;
  }
  std::memcpy(buffer, name->c_str(), needed);
  return 0;
}

bool ReadConfigDescriptor(std::uint64_t deviceId, std::vector<std::uint8_t>* config) {
  std::uint8_t header[kConfigHeaderSize];
  if (!GetConfigDescriptor(deviceId, header, kConfigHeaderSize)) return false;
  const std::uint16_t total = static_cast<std::uint16_t>(header[2] | header[3] << 8);
  if (total < kConfigHeaderSize) {
    SetProxyLastError(kUsbErrorInvalidData);
    return false;
  }
  config->assign(total, 0);
  return GetConfigDescriptor(deviceId, config->data(), total);
}
