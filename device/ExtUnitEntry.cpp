#include "device/ExtUnitEntry.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "device/CommandLock.h"
#include "device/DeviceResult.h"
#include "device/ExtUnitProtocol.h"
#include "device/ProxyChannel.h"
#include "device/UsbRequests.h"

namespace {

struct Target {
  std::uint64_t deviceId;
  std::uint8_t unitId;
  std::uint8_t interfaceNumber;

  bool Out(std::uint8_t control, const std::uint8_t* data, std::uint16_t length) const {
    return ClassInterfaceRequest(deviceId, kTypeClassOut, kSetCur, control, unitId, interfaceNumber,
                                 const_cast<std::uint8_t*>(data), length, UsbDirection::kToDevice);
  }
  bool In(std::uint8_t control, std::uint8_t* data, std::uint16_t length) const {
    return ClassInterfaceRequest(deviceId, kTypeClassIn, kGetCur, control, unitId, interfaceNumber,
                                 data, length, UsbDirection::kToHost);
  }
};

// Runs one framed command under the lock: the block on control 10, then the data phase.
// After a failure the status is read and cleared, and the first error is kept.
int Run(const Target& t, const CommandBlock& block, const std::function<bool()>& dataPhase) {
  NamedMutex* lock = ProxyCommandLock();
  if (lock == nullptr) {
    SetProxyLastError(kUsbErrorPathNotFound);
    return 0;
  }
  const MutexWait w = WaitCommandLock(*lock, kCommandLockWaitMs);
  if (w != MutexWait::kObtained && w != MutexWait::kAbandoned) {
    SetProxyLastError(kUsbErrorSemTimeout);
    return 0;
  }
  int result = 1;
  if (!t.Out(kCommandControl, block.data(), 8) || (dataPhase && !dataPhase())) {
    const std::uint32_t error = ProxyLastError();
    std::uint8_t status[8] = {};
    (void)t.In(kCommandControl, status, 8);
    (void)t.Out(kCommandControl, tpl::kStatusClear.data(), 8);
    SetProxyLastError(error);
    result = 0;
  }
  lock->Release();
  return result;
}

}  // namespace

int ExtUnit_DevQualify(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber) {
  const Target t{deviceId, unitId, interfaceNumber};
  std::uint8_t unit[kEntryUnitSize] = {};
  const int ok = Run(t, tpl::kDevQualify, [&] { return t.In(kDataControl, unit, kEntryUnitSize); });
  return ok != 0 && std::memcmp(unit, kDeviceSignature.data(), 8) == 0 ? 1 : 0;
}

int ExtUnit_GetDevStatus(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber,
                         std::uint32_t firstBlock, std::uint32_t length, std::uint8_t* buffer) {
  const Target t{deviceId, unitId, interfaceNumber};
  const std::uint32_t blocks = (length + kEntryUnitSize - 1) / kEntryUnitSize;
  for (std::uint32_t i = 0; i < blocks; ++i) {
    CommandBlock b = tpl::kGetDevStatus;
    b[2] = static_cast<std::uint8_t>(i);
    b[3] = static_cast<std::uint8_t>(firstBlock >> 8);
    b[5] = static_cast<std::uint8_t>(length >> 8);
    std::uint8_t unit[kEntryUnitSize] = {};
    const std::uint32_t offset = i * kEntryUnitSize;
    const std::uint32_t take = std::min(kEntryUnitSize, length - offset);
    if (Run(t, b, [&] { return t.In(kDataControl, unit, kEntryUnitSize); }) == 0) return 0;
    std::memcpy(buffer + offset, unit, take);
  }
  return 1;
}

int ExtUnit_Reset(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber,
                  std::uint16_t argument, std::uint32_t kind) {
  if (kind < 7 || kind > 9) {
    SetProxyLastError(kUsbErrorInvalidParameter);
    return 0;
  }
  CommandBlock b = {0x00, static_cast<std::uint8_t>(kind),
                    static_cast<std::uint8_t>(kind == 9 ? 0 : argument & 0xFF), 0, 0, 0, 0, 0};
  return Run(Target{deviceId, unitId, interfaceNumber}, b, nullptr);
}

namespace {

// Whole 8-byte units straight from or into the buffer, then one transfer of exactly the rest.
bool UnitsIn(const Target& t, std::uint8_t* buffer, std::uint16_t length) {
  std::uint32_t done = 0;
  for (; done + kEntryUnitSize <= length; done += kEntryUnitSize) {
    if (!t.In(kDataControl, buffer + done, kEntryUnitSize)) return false;
  }
  return done == length || t.In(kDataControl, buffer + done, static_cast<std::uint16_t>(length - done));
}

bool UnitsOut(const Target& t, const std::uint8_t* buffer, std::uint16_t length) {
  std::uint32_t done = 0;
  for (; done + kEntryUnitSize <= length; done += kEntryUnitSize) {
    if (!t.Out(kDataControl, buffer + done, kEntryUnitSize)) return false;
  }
  if (done == length) return true;
  std::uint8_t unit[kEntryUnitSize] = {};
  std::memcpy(unit, buffer + done, length - done);
  return t.Out(kDataControl, unit, static_cast<std::uint16_t>(length - done));
}

CommandBlock MemBlock(std::uint8_t opcode, std::uint16_t address, std::uint16_t length) {
  CommandBlock b = {0x00, opcode, 0, 0, 0, 0, 0, 0};
  PutP1(b, address);
  PutP2(b, length);
  return b;
}

}  // namespace

int ExtUnit_ReadMem(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber,
                    std::uint16_t address, std::uint16_t length, std::uint8_t* buffer) {
  const Target t{deviceId, unitId, interfaceNumber};
  return Run(t, MemBlock(tpl::kReadMem[1], address, length), [&] { return UnitsIn(t, buffer, length); });
}

int ExtUnit_WriteMem(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber,
                     std::uint16_t address, std::uint16_t length, const std::uint8_t* buffer) {
  const Target t{deviceId, unitId, interfaceNumber};
  return Run(t, MemBlock(tpl::kWriteMem[1], address, length), [&] { return UnitsOut(t, buffer, length); });
}
