#include "device/KoCamApi.h"

#include <memory>
#include <vector>

#include "app/Trace.h"
#include "device/DeviceDiscovery.h"
#include "device/KobCam.h"
#include "device/ProxyChannel.h"
#include "device/ResetAndReopen.h"
#include "device/StringDescriptor.h"

namespace {

struct ApiState {
  std::unique_ptr<CCamDev> current;
  std::uint32_t handle = 0;
  std::uint8_t otpStatus = 0;
  std::int32_t libType = 0;
};

ApiState& State() {
  static ApiState state;
  return state;
}

CKobCam* Kob() { return dynamic_cast<CKobCam*>(State().current.get()); }

CVendorCmdCommon* Choose(std::uint32_t flags) {
  CKobCam* k = Kob();
  if (k == nullptr) return nullptr;
  return (flags & kKoCamUseExtUnit) != 0 ? k->ExtUnitSet() : k->PreferredSet();
}

int Ok(std::uint32_t result) { return result == 0 ? 1 : 0; }

template <class Fn>
int WithSet(CVendorCmdCommon* set, Fn fn) {
  return set != nullptr ? Ok(fn(*set)) : 0;
}

// The object opens its own record only after the temporary one is closed: the interface is
// opened without sharing.
std::uint32_t CreateDeviceObject(DevNode devnode, std::unique_ptr<CCamDev>* out) {
  DeviceRecord temp;
  if (const std::uint32_t e = OpenDeviceRecord(devnode, &temp); e != 0) return e;
  const bool probed = ProbeDevice(&temp, false);
  std::unique_ptr<DeviceCaps> caps;
  if (probed && temp.caps) caps = std::make_unique<DeviceCaps>(*temp.caps);
  const bool usable = caps && caps->usable;
  CloseDeviceRecord(&temp);
  DeviceRecord own;
  if (const std::uint32_t e = OpenDeviceRecord(devnode, &own); e != 0) return e;
  if (usable) {
    *out = std::make_unique<CKobCam>(std::move(own), caps.get());
  } else {
    *out = std::make_unique<CCamDev>(std::move(own), caps.get());
  }
  return *out ? 0 : kResultFail;
}

int ReadString(int descriptorIndexOffset, std::string* text) {
  text->clear();
  CCamDev* dev = State().current.get();
  if (dev == nullptr || dev->Caps() == nullptr) return 0;
  const std::uint8_t index = dev->Caps()->deviceDescriptor[static_cast<std::size_t>(descriptorIndexOffset)];
  return ReadStringDescriptor(dev->Record().deviceId, index, text) ? 1 : 0;
}

constexpr int kManufacturerIndexAt = 14;
constexpr int kSerialIndexAt = 16;

int Reset(std::uint32_t kind, std::uint32_t* handle, std::uint16_t argument, std::uint32_t flags,
          std::uint32_t waitMs) {
  TraceScope scope("KoCam_Reset");
  ApiState& s = State();
  CKobCam* k = Kob();
  ResetRequest rq;
  rq.kind = kind;
  rq.waitMs = waitMs;
  rq.forceExtUnit = (flags & kKoCamUseExtUnit) != 0;
  std::uint32_t result = kUsbErrorInvalidParameter;
  if (k != nullptr) {
    DeviceRecord& record = k->Record();
    if (kind == 7) {
      rq.mode = argument;
    } else {
      record.kind = (flags & kKoCamAudioClasses) != 0 ? RecordKind::kAudio : RecordKind::kCamera;
      if ((flags & kKoCamChannelFromCaps) != 0 && k->Caps() != nullptr) {
        rq.channelKnown = true;
        rq.unitId = k->Caps()->extUnitPresent ? static_cast<int>(k->Caps()->extUnitId) : -1;
        rq.legacy = k->Caps()->legacyReadAnswered;
        rq.vendor = k->Caps()->vendorSetPresent;
      }
    }
    rq.event = &k->Event();
    result = ResetAndReopen(&record, rq);
  }
  if (result != 0) {
    TraceWrite(scope, "ResetAndReopen returned %u\n", static_cast<unsigned>(result));
    s.current.reset();
    s.handle = 0;
    *handle = KoCam_SelectDevice(0);
    return 0;
  }
  k->RebuildCommandSets();
  if (k->PreferredSet() == nullptr) return 0;
  s.handle = k->Record().devnode;
  *handle = s.handle;
  return 1;
}

}  // namespace

int KoCam_Init(std::int32_t libType) {
  State().libType = libType;
  return OpenProxy() ? 1 : 0;
}

int KoCam_Uninit() {
  State().current.reset();
  State().handle = 0;
  (void)CloseProxy();
  return 1;
}

std::uint8_t KoCam_GetDeviceCount() {
  std::vector<DeviceListEntry> list;
  if (EnumDevices(&list) != 0) return 0;
  return static_cast<std::uint8_t>(list.size());
}

std::uint32_t KoCam_SelectDevice(std::uint32_t index) {
  ApiState& s = State();
  if (s.current) return s.handle;
  std::vector<DeviceListEntry> list;
  if (EnumDevices(&list) != 0 || index >= list.size()) return 0;
  std::unique_ptr<CCamDev> dev;
  std::uint32_t result = 0;
  if (CreateDeviceObject(list[index].devnode, &dev) == 0) {
    CKobCam* k = dynamic_cast<CKobCam*>(dev.get());
    CExtUnit* ext = k != nullptr ? k->ExtUnitSet() : nullptr;
    if (ext != nullptr && ext->DevQualify()) {
      result = list[index].devnode;
      s.current = std::move(dev);
    }
  }
  s.handle = result;
  return result;
}

int KoCam_CloseDevice() {
  State().current.reset();
  State().handle = 0;
  return 1;
}

std::uint32_t KoCam_OpenDevice(DeviceRecord* record, std::uint32_t index, std::uint32_t mode, std::uint32_t* waitedMs) {
  if (waitedMs != nullptr) *waitedMs = 0;
  std::vector<DeviceListEntry> list;
  // Camera-class devices are never produced by this tool's enumeration.
  if (mode == 0) {
    if (const std::uint32_t e = EnumDevices(&list); e != 0) return e;
  }
  if (index >= list.size()) return 2;
  const std::uint32_t r = OpenDeviceRecord(list[index].devnode, record, waitedMs);
  if (r == 0) record->displayName = list[index].name;
  return r;
}

std::uint32_t KoCam_GetDevNode() {
  CCamDev* dev = State().current.get();
  return dev != nullptr ? dev->Record().devnode : 0;
}

int KoCam_GetVidPidRev(std::uint16_t* vid, std::uint16_t* pid, std::uint16_t* rev) {
  CCamDev* dev = State().current.get();
  if (dev == nullptr || dev->Caps() == nullptr) return 0;
  *vid = dev->Caps()->Vid();
  *pid = dev->Caps()->Pid();
  *rev = dev->Caps()->Rev();
  return 1;
}

int KoCam_GetDeviceInfo(std::uint16_t* vid, std::uint16_t* pid, std::uint16_t* rev, std::string* manufacturer) {
  if (KoCam_GetVidPidRev(vid, pid, rev) == 0) return 0;
  return ReadString(kManufacturerIndexAt, manufacturer);
}

int KoCam_GetSerialString(std::string* serial) { return ReadString(kSerialIndexAt, serial); }

int KoCam_GetFirstManufacturer(std::string* manufacturer) {
  manufacturer->clear();
  if (State().current) return 0;
  if (KoCam_SelectDevice(0) != 0) (void)ReadString(kManufacturerIndexAt, manufacturer);
  (void)KoCam_CloseDevice();
  return 1;
}

int KoCam_GetDeviceName(std::string* name) {
  CCamDev* dev = State().current.get();
  if (dev == nullptr) return 0;
  *name = dev->Record().displayName;
  return 1;
}

int KoCam_ChangeDataControlSize(std::uint16_t* size) {
  CExtUnit* ext = KoCam_GetExtUnitSet();
  return ext != nullptr && ext->ChangeDataControlSize(size) ? 1 : 0;
}

int KoCam_GetDevStatus(std::uint8_t* buffer, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.GetDevStatus(0, buffer, kDevStatusLength); });
}

int KoCam_GetStatusBlocks(std::uint32_t firstBlock, std::int32_t length, std::uint8_t* buffer, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.GetDevStatus(firstBlock, buffer, length); });
}

int KoCam_ReadMem(std::uint32_t address, std::uint32_t length, std::uint8_t* buffer, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.ReadMem(address, length, buffer, nullptr, 0); });
}

int KoCam_WriteMem(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.WriteMem(address, length, buffer, nullptr, 0); });
}

int KoCam_SPI_SF_Read(std::uint32_t address, std::uint32_t length, std::uint8_t* buffer, std::uint32_t flags,
                      ProgressCallback cb, std::uint32_t ctx) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.SPI_SF_Read(address, length, buffer, 0, cb, ctx); });
}

int KoCam_SPI_SF_Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t flags,
                       ProgressCallback cb, std::uint32_t ctx) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.SPI_SF_Write(address, length, buffer, cb, ctx); });
}

int KoCam_SPI_SF_ReadSr(std::uint8_t* status, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.SPI_SF_ReadSr(status); });
}

int KoCam_SPI_SF_WriteSr(std::uint8_t status, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.SPI_SF_WriteSr(status); });
}

int KoCam_SPI_SF_EraseChip(std::uint32_t timeoutMs, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.SPI_SF_EraseChip(timeoutMs); });
}

int KoCam_SPI_SF_WriteTag(std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.SPI_SF_WriteTag(); });
}

int KoCam_NorFlash_Erase(std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.NorFlash_Erase(); });
}

int KoCam_NorFlash_Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t flags) {
  return WithSet(Choose(flags),
                 [&](CVendorCmdCommon& c) { return c.NorFlash_Write(address, length, buffer, nullptr, 0); });
}

int KoCam_NorFlash_WriteTag(std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.NorFlash_WriteTag(); });
}

int KoCam_I2C_EEP8_Erase(std::uint32_t size, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.I2C_EEP8_Erase(size); });
}

int KoCam_I2C_EEP8_Read(std::uint32_t address, std::uint32_t length, std::uint8_t* buffer, std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.I2C_EEP8_Read(address, length, buffer, nullptr, 0); });
}

int KoCam_I2C_EEP8_Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t flags) {
  return WithSet(Choose(flags),
                 [&](CVendorCmdCommon& c) { return c.I2C_EEP8_Write(address, length, buffer, nullptr, 0); });
}

int KoCam_I2C_EEP8_WriteTag(std::uint32_t flags) {
  return WithSet(Choose(flags), [&](CVendorCmdCommon& c) { return c.I2C_EEP8_WriteTag(); });
}

int KoCam_I2C_EEP16_Read(std::uint32_t address, std::uint32_t length, std::uint8_t* buffer, std::uint32_t) {
  return WithSet(KoCam_GetExtUnitSet(),
                 [&](CVendorCmdCommon& c) { return c.I2C_EEP16_Read(address, length, buffer, nullptr, 0); });
}

int KoCam_I2C_EEP16_Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t) {
  return WithSet(KoCam_GetExtUnitSet(),
                 [&](CVendorCmdCommon& c) { return c.I2C_EEP16_Write(address, length, buffer, nullptr, 0); });
}

int KoCam_I2C_EEP16_WriteTag(std::uint32_t) {
  return WithSet(KoCam_GetExtUnitSet(), [&](CVendorCmdCommon& c) { return c.I2C_EEP16_WriteTag(); });
}

int KoCam_I2C_EEP16_Clear(std::uint32_t address, std::uint32_t length, std::uint32_t) {
  const std::vector<std::uint8_t> fill(length, 0xFF);
  return WithSet(KoCam_GetExtUnitSet(),
                 [&](CVendorCmdCommon& c) { return c.I2C_EEP16_Write(address, length, fill.data(), nullptr, 0); });
}

int KoCam_OTP_Read(std::uint16_t address, std::uint16_t length, std::uint8_t* buffer, std::uint32_t w1,
                   std::uint32_t w2) {
  return WithSet(KoCam_GetExtUnitSet(), [&](CVendorCmdCommon& c) { return c.OTP_Read(address, length, buffer, w1, w2); });
}

int KoCam_OTP_ReadProgramFailAdr(std::uint16_t length, std::uint8_t* buffer) {
  return WithSet(KoCam_GetExtUnitSet(), [&](CVendorCmdCommon& c) { return c.OTP_ReadProgramFailAdr(length, buffer); });
}

int KoCam_OTP_Write(std::uint16_t address, std::uint16_t mode, std::uint16_t length, const std::uint8_t* buffer,
                    std::uint32_t w1, std::uint32_t w2) {
  CExtUnit* ext = KoCam_GetExtUnitSet();
  if (ext == nullptr) return 0;
  const int ok = Ok(ext->OTP_Write(address, length, mode, buffer, w1, w2));
  State().otpStatus = ext->LastVcmdStatus();
  return ok;
}

std::uint8_t KoCam_GetOtpStatus() { return State().otpStatus; }

int KoCam_SendResetToRom() {
  return WithSet(Choose(0), [&](CVendorCmdCommon& c) { return c.ResetToRom(); });
}

int KoCam_ResetToUpdateFW(std::uint32_t* handle, std::uint16_t argument, std::uint32_t flags, std::uint32_t waitMs) {
  return Reset(7, handle, argument, flags, waitMs);
}

int KoCam_ResetToNewCode(std::uint32_t* handle, std::uint32_t flags, std::uint32_t waitMs) {
  return Reset(9, handle, 0, flags, waitMs);
}

int KoCam_ResetToRom(std::uint32_t* handle, std::uint32_t flags, std::uint32_t waitMs) {
  return Reset(10, handle, 0, flags, waitMs);
}

void KoCam_SignalResetEvent() {
  if (CKobCam* k = Kob()) k->SignalResetEvent();
}

CVendorCmdCommon* KoCam_GetCommandSet() { return Choose(0); }

CExtUnit* KoCam_GetExtUnitSet() {
  CKobCam* k = Kob();
  return k != nullptr ? k->ExtUnitSet() : nullptr;
}

const DeviceRecord* KoCam_GetCurrentRecord() {
  CCamDev* dev = State().current.get();
  return dev != nullptr ? &dev->Record() : nullptr;
}
