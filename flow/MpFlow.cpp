#include "flow/MpFlow.h"

#include <array>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/StringPrintf.h"
#include "app/Trace.h"
#include "device/DeviceDiscovery.h"
#include "device/KoCamApi.h"
#include "flow/StopFlag.h"
#include "flow/VersionText.h"
#include "platform/Clock.h"

std::uint32_t g_uOpFlags = 0;

namespace {
constexpr std::uint32_t kOpenFailPauseMs = 128;
constexpr std::uint32_t kRomVersionBlock = 128;
}  // namespace

int CMpFlow::MP_OpenDevice(int index) {
  TraceScope scope("CMpFlow::MP_OpenDevice");
  if (IsStopRequested()) return 0;
  KoCam_CloseDevice();
  m_hDev = KoCam_SelectDevice(index);
  if (m_hDev != 0) return 1;
  TraceFail(scope, "MP_OpenDevice Fail %d\n", index);
  SleepMs(kOpenFailPauseMs);
  return 0;
}

void CMpFlow::MP_CloseDevice() {
  if (m_hDev != 0) KoCam_CloseDevice();
  m_hDev = 0;
}

std::uint8_t CMpFlow::ReadByteOr(std::uint32_t address, std::uint8_t fallback) {
  std::uint8_t value = fallback;
  if (KobReadMem(address, 1, &value) == 0) value = fallback;
  return value;
}

int CMpFlow::MP_ReadChipId() {
  std::uint8_t id[2] = {0xFF, 0xFF};
  if (KobReadMem(kChipIdAddress, 2, id) == 0) id[0] = id[1] = 0xFF;
  m_chip = ChipIdentity{id[0], id[1]};
  m_byChipId0 = static_cast<std::uint8_t>(id[0] & 0xF0);
  m_byChipId1 = static_cast<std::uint8_t>(id[1] & 0xF0);
  m_bModeReg = m_chip.HasModeRegister();
  return 1;
}

bool CMpFlow::MP_CheckRunningCode() {
  const ChipIdentity chip = Chip();
  if (chip.Key() != 0 && chip.Key() != 0x7010) return ReadByteOr(kModeByteAddress, 0) != 0;
  std::array<std::uint8_t, kStatusRecordSize> status{};
  if (KoCam_GetDevStatus(status.data(), m_uFlags) == 0) return false;
  return StatusCodeType(status) == 1;
}

DeviceVersion CMpFlow::ReadVersion(std::span<const std::uint8_t, kStatusRecordSize> status, std::uint8_t mode) {
  std::array<std::uint8_t, kRomVersionRecordSize> rom{};
  rom.fill(0xFF);
  if (ModeUsesRomVersionRecord(mode)) {
    (void)KoCam_GetStatusBlocks(kRomVersionBlock, kRomVersionRecordSize, rom.data(), m_uFlags);
  }
  const DeviceVersion version = ComputeDeviceVersion(status, rom, mode);
  StoreVersion(version);
  return version;
}

void CMpFlow::StoreVersion(const DeviceVersion& version) {
  m_strFwVer = version.text;
  m_wVerMajor = version.parts[0];
  m_wVerMinor = version.parts[1];
  m_wVerBuild = version.parts[2];
  m_wVer1 = version.parts[3];
  m_wVer2 = version.parts[4];
  m_wVer3 = version.parts[5];
}

void CMpFlow::ReadVidPidRev(bool withProduct) {
  if (withProduct) {
    std::string product;
    if (KoCam_GetDeviceInfo(&m_wVid, &m_wPid, &m_wRev, &product) != 0) m_strProduct = product;
  } else {
    (void)KoCam_GetVidPidRev(&m_wVid, &m_wPid, &m_wRev);
  }
  FormatVidPidTexts();
}

void CMpFlow::FormatVidPidTexts() {
  m_strVidPid = StringPrintf("VID_%04X&PID_%04X", m_wVid, m_wPid);
  m_strVidPidRev = StringPrintf("VID_%04X&PID_%04X&REV_%04X", m_wVid, m_wPid, m_wRev);
}

void CMpFlow::ReadPortLocation() {
  std::uint32_t port = 0;
  std::uint32_t parent = 0;
  if (GetPortAndParent(KoCam_GetDevNode(), &port, &parent) == 0) {
    m_dwPortAddr = port;
    m_dwParentInst = parent;
  }
}

int CMpFlow::MP_GetDeviceInfo() {
  TraceScope scope("CMpFlow::MP_GetDeviceInfo");
  if (m_hDev == 0) {
    m_strConnect = "No USB Audio";
    m_strFwVer = "N/A";
    m_strProduct = "N/A";
    return 1;
  }
  m_strConnect = "USB Audio Connected";
  std::array<std::uint8_t, kStatusRecordSize> status{};
  (void)KoCam_GetDevStatus(status.data(), m_uFlags);
  MP_ReadChipId();
  const std::uint8_t mode = ReadByteOr(Chip().ModeByteAddress(), 0xFF);
  m_strCmpVer = ReadVersion(status, mode).compare;
  ReadVidPidRev(true);
  std::string name;
  (void)KoCam_GetDeviceName(&name);
  m_strNameId = name + "&" + m_strVidPidRev;
  m_bRomMode = !MP_CheckRunningCode();
  ReadPortLocation();
  m_strMode = m_bModeReg ? ModeText(mode) : std::string();
  return 1;
}

int CMpFlow::MP_ShowModeVersion() {
  TraceScope scope("CMpFlow::MP_ShowModeVersion");
  std::array<std::uint8_t, kStatusRecordSize> status{};
  (void)KoCam_GetDevStatus(status.data(), m_uFlags);
  const std::uint8_t mode = ReadByteOr(kModeByteAddress, 0xFF);
  TraceWrite(scope, "modeEx is %d\n", mode);
  (void)ReadVersion(status, mode);
  m_strFwVer += StringPrintf("-VID%04X&&PID%04X", m_wVid, m_wPid);
  return 1;
}

int CMpFlow::MP_ResetDevice(int kind, std::uint32_t argument) {
  TraceScope scope("CMpFlow::MP_ResetDevice");
  if (IsStopRequested() || m_hDev == 0) return 0;
  const std::uint32_t waitMs =
      static_cast<std::uint32_t>(GetConfigInt(5000, kConfigSection, "Wait Time"));
  std::uint32_t handle = 0;
  int result = 0;
  switch (kind) {
    case kResetToUpdateFw:
      result = KoCam_ResetToUpdateFW(&handle, argument, m_uFlags, waitMs);
      break;
    case kResetToNewCode:
      if (m_bModeReg && App().memoryType == 6 && (m_strMode == "ROM" || m_strMode == "ROM&&OTP")) {
        (void)WriteByte(0xFFC6, 0x2A);
      }
      result = KoCam_ResetToNewCode(&handle, m_uFlags, waitMs);
      break;
    case kResetToRom:
      result = KoCam_ResetToRom(&handle, m_uFlags, waitMs);
      break;
    default:
      return 0;
  }
  // A failed reset may still have found a device again; the handle says which.
  m_hDev = handle;
  return result != 0 ? 1 : 0;
}

int CMpFlow::MP_ResetToRomCode() {
  TraceScope scope("CMpFlow::MP_ResetToRomCode");
  const bool running = MP_CheckRunningCode();
  MP_ReadChipId();
  const ChipIdentity chip = Chip();
  if (chip.HasModeRegister()) {
    if (m_byResetTarget == 0) return 1;
    m_bRomMode = false;
    if (chip.Id() == 0xB013 || chip.Id() == 0xB014) {
      if (m_strMode == "ROM&&SPI") {
        m_uFlags |= kFlagExtUnit;
        const std::uint8_t zero = 0;
        if (MP_SPIWaitWriteSr() != 0) (void)KobSpiWrite(0, 1, &zero);
        m_uFlags &= ~kFlagExtUnit;
        return MP_ResetDevice(kResetToRom, 0);
      }
      return MP_ResetDevice(kResetToNewCode, 0);
    }
    return MP_ResetDevice(kResetToUpdateFw, m_byResetTarget);
  }
  if (!running) {
    m_bRomMode = true;
    MP_ReadChipId();
    if (Chip().Key() != 0x3000) return 1;
  }
  m_bRomMode = false;
  if ((g_uOpFlags & kOpNoNormalReset) != 0 || m_byResetTarget == 5) {
    return MP_ResetDevice(kResetToUpdateFw, 2);
  }
  return MP_ResetDevice(kResetToUpdateFw, App().memoryType);
}
