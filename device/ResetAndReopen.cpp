#include "device/ResetAndReopen.h"

#include <cstring>
#include <string>

#include "app/Trace.h"
#include "device/DeviceDiscovery.h"
#include "device/DeviceResult.h"
#include "device/ExtUnitEntry.h"
#include "device/KoCamApi.h"
#include "device/ProxyChannel.h"
#include "device/VendorEntry.h"
#include "platform/Clock.h"

namespace {

constexpr std::uint32_t kNotReadyRetryMs = 300;
constexpr std::uint32_t kReconnectPollMs = 300;
constexpr std::uint32_t kEmptyListPollMs = 200;
constexpr std::uint32_t kIndexBeyondPollMs = 500;
constexpr std::uint32_t kSlowChipExtraMs = 2000;
constexpr std::uint32_t kPdoNameSize = 200;
constexpr std::uint32_t kIndexBeyondList = 2;

enum class Path { kVendor, kLegacy, kExtUnit };

std::string PdoName(DevNode node, bool* ok) {
  char name[kPdoNameSize] = {};
  std::uint32_t size = sizeof name;
  *ok = GetDevInstPdoName(node, name, &size) == 0;
  return *ok ? std::string(name) : std::string();
}

}  // namespace

std::uint32_t ResetAndReopen(DeviceRecord* record, const ResetRequest& rq) {
  TraceScope scope("ResetAndReopen");
  if (record->typeTag != kUsbRecordTag || record->deviceId == 0 || !record->interfaceOpen) {
    return kUsbErrorInvalidParameter;
  }

  // Channel and reset argument.
  std::uint64_t elapsed = 0;
  std::uint32_t argument = rq.mode;
  Path path = Path::kVendor;
  int unit = rq.unitId;
  const std::uint32_t sentKind = rq.kind == 10 ? 9 : rq.kind;
  if (rq.kind == 10) {
    elapsed = rq.mode;
  } else {
    bool vendor = rq.vendor;
    bool legacy = rq.legacy;
    bool unitOk = unit > 0;
    if (!rq.channelKnown) {
      const DeviceChannel c = DetermineChannel(*record);
      vendor = c.vendorSet;
      legacy = c.legacyRead;
      unit = c.extUnitId;
      unitOk = c.extUnitConfirmed;
    }
    if (!vendor && !unitOk) return kResultFail;
    if (rq.forceExtUnit && unit > 0) {
      vendor = false;
      legacy = false;
    }
    path = vendor ? Path::kVendor : legacy ? Path::kLegacy : Path::kExtUnit;
    if (rq.mode != 2 && path == Path::kExtUnit) argument = rq.mode == 0 ? 1 : rq.mode == 1 ? 0 : rq.mode;
  }
  const std::uint32_t matchingMode = rq.mode == 2 ? 1 : rq.mode;
  const bool fast = argument == 2 || argument == 5;
  const std::uint8_t unitId = static_cast<std::uint8_t>(unit < 0 ? 0 : unit);
  const std::uint8_t iface = static_cast<std::uint8_t>(record->interfaceNumber);

  bool oldNameOk = false;
  const std::string oldName = PdoName(record->devnode, &oldNameOk);

  std::uint32_t chipCode = 0;
  if (rq.kind == 7 || rq.kind == 9) {
    std::uint8_t code[2] = {};
    const std::uint8_t one = 0x01;
    if (path == Path::kVendor) {
      (void)VReq_ReadMem(record->deviceId, 0xFE21, 2, code);
      (void)VReq_WriteMem(record->deviceId, 0xFF92, 1, &one);
    } else {
      (void)ExtUnit_ReadMem(record->deviceId, unitId, iface, 0xFE21, 2, code);
      (void)ExtUnit_WriteMem(record->deviceId, unitId, iface, 0xFF92, 1, &one);
    }
    chipCode = ((code[1] & 0xF0u) << 8) + code[0];
  }
  const bool slowChip = chipCode == 0xB013 || chipCode == 0xB014;

  for (;;) {
    std::uint32_t outcome = 0;
    switch (path) {
      case Path::kVendor: outcome = VReq_Reset(record->deviceId, static_cast<std::uint16_t>(argument), sentKind); break;
      case Path::kLegacy:
        outcome = VReq_Command(record->deviceId, static_cast<std::uint16_t>(argument), static_cast<std::uint16_t>(sentKind));
        break;
      case Path::kExtUnit:
        outcome = ExtUnit_Reset(record->deviceId, unitId, iface, static_cast<std::uint16_t>(argument), sentKind) != 0
                      ? 0
                      : ProxyLastError();
        break;
    }
    if (outcome == 0) break;
    if (outcome != kUsbErrorNotReady) {
      TraceWrite(scope, "Reset device failed %d\n", static_cast<int>(outcome));
      return outcome;
    }
    if (rq.budgetMs > 0 && elapsed > rq.budgetMs) return kUsbErrorTimeout;
    SleepMs(kNotReadyRetryMs);
    elapsed += kNotReadyRetryMs;
  }

  // The old binding is dead from here on; its id stays for the log.
  const std::uint64_t oldId = record->deviceId;
  if (UsbDeviceTree* tree = ProxyDeviceTree(); tree != nullptr && record->interfaceOpen) {
    tree->CloseInterface(record->interfaceHandle);
  }
  (void)ProxyRelease(record->deviceId);
  record->interfaceOpen = false;
  record->interfaceHandle = 0;
  record->deviceId = 0;

  if (!fast) {
    if (rq.event != nullptr) {
      rq.event->Reset();
      (void)rq.event->Wait(rq.waitMs);
    } else {
      SleepMs(rq.waitMs);
    }
  }
  if (slowChip) SleepMs(kSlowChipExtraMs);
  if (record->kind == RecordKind::kUsbDevice) record->kind = RecordKind::kAudio;

  DeviceRecord candidate;
  for (std::uint32_t i = 0;;) {
    if (rq.budgetMs > 0 && elapsed > rq.budgetMs) {
      CloseDeviceRecord(record);
      TraceWrite(scope, "Re-open device timeout, return ERROR_TIMEOUT, Old device closed \n\n");
      return kUsbErrorTimeout;
    }
    std::uint32_t enumMode = 0;
    if (record->kind == RecordKind::kCamera) {
      enumMode = 1;
    } else if (rq.kind == 7 && chipCode == 0x0010) {
      enumMode = 1;
    }
    std::uint32_t waited = 0;
    const std::uint32_t r = KoCam_OpenDevice(&candidate, i, enumMode, &waited);
    elapsed += waited;
    ++i;
    TraceWrite(scope, "KoCam_OpenDevice return %d\n", static_cast<int>(r));
    if (r == kUsbErrorNoMoreItems) {
      i = 0;
      SleepMs(kEmptyListPollMs);
      elapsed += kEmptyListPollMs;
      continue;
    }
    if (r != 0) {
      TraceWrite(scope, "Error while ReopenKoCam %d\n", static_cast<int>(r));
      if (r == kIndexBeyondList) {
        i = 0;
        SleepMs(kIndexBeyondPollMs);
        elapsed += kIndexBeyondPollMs;
      }
      continue;
    }
    TraceWrite(scope, "Checking new device %d\n", static_cast<int>(i));
    bool accepted = false;
    if (SameDeviceLocation(candidate, *record, false)) {
      TraceWrite(scope, "Is same dev location\n");
      bool newNameOk = false;
      const std::string newName = PdoName(candidate.devnode, &newNameOk);
      if (fast) {
        TraceWrite(scope, "Fast reset mode, not checking old device disconnect\n");
        accepted = true;
      } else if (newNameOk && newName != oldName) {
        TraceWrite(scope, "Old device %s [0x%08X] disconnected, new device %s [0x%08X]\n", oldName.c_str(),
                   static_cast<unsigned>(oldId), newName.c_str(), static_cast<unsigned>(candidate.deviceId));
        accepted = true;
      } else {
        TraceWrite(scope, "Pdo device name still match, old device not completely disconnected\n");
      }
    }
    if (accepted) break;
    TraceWrite(scope, "Close device that is not match\n");
    CloseDeviceRecord(&candidate);
  }
  TraceWrite(scope, "Old device safe to be closed \n\n");

  for (;;) {
    std::uint32_t outcome = 0;
    if (path == Path::kExtUnit) {
      std::uint8_t status[8] = {};
      outcome = ExtUnit_GetDevStatus(candidate.deviceId, unitId, static_cast<std::uint8_t>(candidate.interfaceNumber),
                                     0, 8, status) != 0
                    ? 0
                    : ProxyLastError();
    } else {
      std::uint8_t byte = 0;
      outcome = VReq_ReadByte(candidate.deviceId, static_cast<std::uint16_t>(matchingMode), &byte);
    }
    if (outcome != kUsbErrorDeviceNotConnected) break;
    TraceWrite(scope, "Waiting for device %08X reconnect...\n", static_cast<unsigned>(candidate.deviceId));
    SleepMs(kReconnectPollMs);
    elapsed += kReconnectPollMs;
    if (rq.budgetMs > 0 && elapsed > rq.budgetMs) {
      CloseDeviceRecord(&candidate);
      return kUsbErrorTimeout;
    }
  }

  TraceWrite(scope, "Device reset ok\n");
  CloseDeviceRecord(record);
  *record = std::move(candidate);
  TraceWrite(scope, "New hKoProxyDev=%08X\n", static_cast<unsigned>(record->deviceId));
  return 0;
}
