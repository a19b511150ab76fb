#include <atomic>
#include <cstring>

#include "device/DeviceDiscovery.h"
#include "device/ExtUnitEntry.h"
#include "device/ExtUnitProtocol.h"
#include "device/ExtensionUnitDescriptor.h"
#include "device/ProxyChannel.h"
#include "device/UsbRequests.h"
#include "device/VendorEntry.h"

namespace {

constexpr std::uint32_t kStatusRecordSize = 96;
constexpr std::uint32_t kSignatureOffset = 24;
constexpr std::uint16_t kChipCodeAddress = 0xFE21;
constexpr std::uint16_t kUsb3CapableCode = 0x1010;
constexpr int kRootHubSearchDepth = 5;

std::atomic<std::uint8_t> g_companionPort{0};

bool HasSignature(const std::uint8_t* status) {
  return std::memcmp(status + kSignatureOffset, kDeviceSignature.data(), kDeviceSignature.size()) == 0;
}

}  // namespace

bool ProbeDevice(DeviceRecord* record, bool force) {
  if (record->kind == RecordKind::kCamera) return false;  // the camera path is not part of this tool
  if (record->caps && !force) return true;
  auto caps = std::make_unique<DeviceCaps>();
  if (!GetDeviceDescriptor(record->deviceId, caps->deviceDescriptor.data())) return false;
  if (!ReadConfigDescriptor(record->deviceId, &caps->configDescriptor)) return false;
  const int unit = FindAudioExtensionUnit(caps->configDescriptor.data(), caps->configDescriptor.size());
  if (unit >= 0) {
    caps->extUnitId = static_cast<std::uint32_t>(unit);
    caps->extUnitPresent = true;
    if (VReq_ReadStatus(record->deviceId, 0, kStatusRecordSize, caps->status.data()) == 0 &&
        HasSignature(caps->status.data())) {
      caps->usable = true;
      caps->vendorSetPresent = true;
      caps->legacyReadAnswered = false;
    } else {
      caps->vendorSetPresent = false;
      std::uint8_t byte = 0;
      caps->legacyReadAnswered = VReq_ReadByte(record->deviceId, 0, &byte) == 0;
    }
  }
  record->caps = std::move(caps);
  return true;
}

DeviceChannel DetermineChannel(const DeviceRecord& record, bool vendorSuffices) {
  DeviceChannel c;
  std::uint8_t status[32] = {};
  c.vendorSet = VReq_ReadStatus(record.deviceId, 0, sizeof status, status) == 0 && HasSignature(status);
  if (c.vendorSet && vendorSuffices) return c;
  if (!c.vendorSet) {
    std::uint8_t byte = 0;
    c.legacyRead = VReq_ReadByte(record.deviceId, 0, &byte) == 0;
  }
  if (record.kind == RecordKind::kAudio || record.kind == RecordKind::kUsbDevice) {
    std::vector<std::uint8_t> config;
    if (ReadConfigDescriptor(record.deviceId, &config)) {
      c.extUnitId = FindAudioExtensionUnit(config.data(), config.size());
      c.extUnitConfirmed =
          c.extUnitId >= 0 && ExtUnit_DevQualify(record.deviceId, static_cast<std::uint8_t>(c.extUnitId),
                                                 static_cast<std::uint8_t>(record.interfaceNumber)) != 0;
    }
  }
  return c;
}

void LearnCompanionPort(const DeviceRecord& record, DevNode devnode) {
  UsbDeviceTree* tree = ProxyDeviceTree();
  if (tree == nullptr) return;
  const DeviceChannel c = DetermineChannel(record, true);
  std::uint8_t code[2] = {};
  if (c.vendorSet) {
    if (VReq_ReadMem(record.deviceId, kChipCodeAddress, 2, code) != 0) return;
  } else if (c.extUnitConfirmed) {
    if (ExtUnit_ReadMem(record.deviceId, static_cast<std::uint8_t>(c.extUnitId),
                        static_cast<std::uint8_t>(record.interfaceNumber), kChipCodeAddress, 2, code) == 0) {
      return;
    }
  } else {
    return;  // nothing is sent through a unit that was not found and confirmed
  }
  if (((code[1] & 0xF0) << 8) + (code[0] & 0xF0) != kUsb3CapableCode) return;
  DevNode below = devnode;
  for (int depth = 0; depth < kRootHubSearchDepth; ++depth) {
    const std::optional<DevNode> parent = tree->Parent(below);
    if (!parent) return;
    if (tree->InstanceId(*parent).value_or("").find("ROOT_HUB") != std::string::npos) {
      const std::optional<std::uint32_t> port = tree->BusAddress(below);
      if (!port) return;
      if (const std::optional<std::uint8_t> companion = tree->CompanionPort(*parent, *port)) {
        g_companionPort = *companion;
      }
      return;
    }
    below = *parent;
  }
}

std::uint8_t LearnedCompanionPort() { return g_companionPort; }

void SetLearnedCompanionPort(std::uint8_t port) { g_companionPort = port; }
