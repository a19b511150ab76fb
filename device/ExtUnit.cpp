#include "device/ExtUnit.h"

#include "app/Trace.h"
#include "device/ProxyChannel.h"
#include "device/SyncOperate.h"
#include "device/UsbRequests.h"

CExtUnit::CExtUnit(const DeviceRecord& record, std::uint32_t unitId) : record_(record), unitId_(unitId) {}

CExtUnit::~CExtUnit() = default;

CExtUnit::u32 CExtUnit::Transfer(std::uint8_t request, std::uint8_t control, u8* data, std::uint16_t length,
                                 bool in, const char* phase) {
  if (ClassInterfaceRequest(record_.deviceId, in ? kTypeClassIn : kTypeClassOut, request, control,
                            static_cast<std::uint8_t>(unitId_), static_cast<std::uint8_t>(record_.interfaceNumber),
                            data, length, in ? UsbDirection::kToHost : UsbDirection::kToDevice)) {
    return 0;
  }
  const std::uint32_t error = ProxyLastError();
  TraceScope scope("CExtUnit::Transfer", 0);
  TraceWrite(scope, "%s failed %d\n", phase, static_cast<int>(error));
  return HResultFromWin32(error);
}

CExtUnit::u32 CExtUnit::SetCmd(const CommandBlock& block) {
  return Transfer(kSetCur, kCommandControl, const_cast<u8*>(block.data()), 8, false, "SetCmd");
}

CExtUnit::u32 CExtUnit::GetCmdStatus(u8* status) {
  return Transfer(kGetCur, kCommandControl, status, 8, true, "GetCmdStatus");
}

CExtUnit::u32 CExtUnit::GetData(u8* unit) {
  return Transfer(kGetCur, kDataControl, unit, static_cast<std::uint16_t>(dataControlSize_), true,
                  "GetData");
}

CExtUnit::u32 CExtUnit::SetData(const u8* unit) {
  return Transfer(kSetCur, kDataControl, const_cast<u8*>(unit), static_cast<std::uint16_t>(dataControlSize_),
                  false, "SetData");
}

bool CExtUnit::ChangeDataControlSize(u16* size) {
  if (*size == dataControlSize_) return true;
  CSyncOperate sync(lock_, "CExtUnit::ChangeDataControlSize");
  if (!sync.Held()) return false;
  CommandBlock b = tpl::kChangeDataControlSize;
  PutP2(b, *size);
  if (const u32 r = SetCmd(b); r != 0) {
    *size = static_cast<u16>(dataControlSize_);
    ReportError("ChangeDataControlSize SetCmd", r);
    return false;
  }
  std::uint32_t moved = 0;
  if (!ClassInterfaceRequest(record_.deviceId, kTypeClassIn, kGetLen, kDataControl,
                             static_cast<std::uint8_t>(unitId_), static_cast<std::uint8_t>(record_.interfaceNumber),
                             unitBuffer_.data(), 2, UsbDirection::kToHost, &moved)) {
    *size = static_cast<u16>(dataControlSize_);
    ReportError("ChangeDataControlSize SetCmd", ProxyLastError());
    return false;
  }
  const u16 answer = static_cast<u16>(unitBuffer_[0] | unitBuffer_[1] << 8);
  // A unit of 0 would never advance; above 64 it would overrun the staging areas.
  if (moved != 2 || answer == 0 || answer > kStagingSize) {
    TraceScope scope("CExtUnit::ChangeDataControlSize", 0);
    TraceWrite(scope, "ChangeDataControlSize GET_LEN answer refused (%u bytes, size %u)\n",
               static_cast<unsigned>(moved), static_cast<unsigned>(answer));
    *size = static_cast<u16>(dataControlSize_);
    // The device may have switched already: ask it back to the size this side keeps.
    CommandBlock back = tpl::kChangeDataControlSize;
    PutP2(back, static_cast<u16>(dataControlSize_));
    (void)SetCmd(back);
    return false;
  }
  dataControlSize_ = answer;
  if (answer == *size) return true;
  *size = answer;
  return false;
}
