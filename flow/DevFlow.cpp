#include "flow/DevFlow.h"

#include <algorithm>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/ParseArg.h"
#include "app/Trace.h"
#include "device/KoCamApi.h"
#include "flow/DeviceListView.h"
#include "flow/DumpFile.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"
#include "image/EepromConfigInfo.h"
#include "image/ICTypeIni.h"

void StorePortLocation(std::uint32_t portAddress, std::uint32_t parentInstance) {
  AppContext& app = App();
  if (app.deviceList != nullptr) {
    app.deviceList->StorePort(portAddress, parentInstance);
    return;
  }
  if (app.parseArg != nullptr) {
    app.parseArg->m_dwPortAddr = portAddress;
    app.parseArg->m_dwParentInst = parentInstance;
  }
}

int CDevFlow::NotSupported() {
  lastErrorCode.store(IDS_NOT_SUPPORT);
  return 0;
}

void CDevFlow::ConsoleLine(const std::string& text) {
  if (App().parseArg != nullptr) App().parseArg->ConsoleWrite(text);
}

int CDevFlow::LocateConfigArea(const std::vector<std::uint8_t>*) { return 0; }

int CDevFlow::LocateConfigAreaOf(const std::vector<std::uint8_t>* buffer) {
  SetIcDefinition(App().icTypeIni);
  if (buffer == &imageBytes) {
    configLocation = ParseImage(imageBytes);
    return configLocation.has_value() ? 1 : 0;
  }
  if (buffer == &workBytes) {
    secondConfigLocation = ParseImage(workBytes);
    return secondConfigLocation.has_value() ? 1 : 0;
  }
  return 0;
}

std::int32_t CDevFlow::IcVendorInfo(const char* key, std::int32_t fallback) {
  const CICTypeIni* ic = App().icTypeIni;
  return ic != nullptr ? ic->GetVendorInfo(key) : fallback;
}

std::uint8_t CDevFlow::IcChipInfo() {
  CICTypeIni* ic = App().icTypeIni;
  return ic != nullptr ? ic->GetRegisterChipInfo() : 0xFF;
}

void CDevFlow::RefreshIcSettings() {
  if (App().icTypeIni != nullptr) App().icTypeIni->ReadIcHeader();
}

bool CDevFlow::PassesVidPidList(bool fileList) {
  AppContext& app = App();
  if (app.icTypeIni2 == nullptr) app.icTypeIni2 = new CICTypeIni(app.iniType);
  return fileList ? app.icTypeIni2->IsDeviceListedInFile(m_strVidPidRev)
                  : app.icTypeIni2->IsDeviceListed(m_strVidPidRev);
}

void CDevFlow::RestoreDataUnit() {
  std::uint16_t size = 8;
  (void)KoCam_ChangeDataControlSize(&size);
}

int CDevFlow::ResetIntoNewCode(std::uint32_t extraFlags) {
  NotifyUi(UM_STATUS, IDS_STEP_RESET_NEW_CODE);
  const std::uint32_t saved = m_uFlags;
  m_uFlags |= extraFlags;
  const int result = MP_ResetDevice(kResetToNewCode, 0);
  m_uFlags = (m_uFlags & ~extraFlags) | (saved & extraFlags);
  return result;
}

int CDevFlow::RunPreAction() {
  int failId = IDS_SAVE_SN_FAIL;
  if (App().icTypeIni == nullptr ||
      !CEepromConfigInfo(*this, *App().icTypeIni).PreActionForAllInOne(imageBytes, failId)) {
    NotifyUi(UM_ERROR, static_cast<std::uintptr_t>(failId));
    return 0;
  }
  return 1;
}

int CDevFlow::FinishOperation(bool resetIntoNewCode, std::uint32_t resetFlags, int successId) {
  if (resetIntoNewCode && ResetIntoNewCode(resetFlags) == 0) {
    NotifyUi(UM_ERROR, IDS_RESET_DEVICE_FAIL);
    return 0;
  }
  NotifyUi(UM_PROGRESS, 100);
  NotifyUi(UM_SUCCESS, static_cast<std::uintptr_t>(successId));
  return 1;
}

int CDevFlow::FailStep(const TraceScope& scope, const char* message, int id, int* errorId) {
  TraceFail(scope, "%s", message);
  *errorId = id;
  return 0;
}

int CDevFlow::ReportLoadFailure(const TraceScope& scope) {
  NotifyUi(UM_ERROR, IDS_LOAD_FILE_DATA_FAIL);
  TraceFail(scope, "Load File Data Fail!\n");
  return 0;
}

bool CDevFlow::LoadImageOrReport(const TraceScope& scope, const std::string& path) {
  imagePath = path;
  if (LoadImageFile()) return true;
  (void)ReportLoadFailure(scope);
  return false;
}

bool CDevFlow::CheckImageForDevice(const TraceScope& scope, bool exactChip) {
  if (LocateConfigArea(&imageBytes) == 0) {
    NotifyUi(UM_ERROR, IDS_PARSE_FW_FILE_FAIL);
    TraceFail(scope, "Parse FW File Fail!\n");
    return false;
  }
  const std::uint8_t chipInfo = IcChipInfo();
  if (exactChip ? chipInfo != imageChipId : !IsImageForDevice(chipInfo, imageChipId)) {
    NotifyUi(UM_ERROR, IDS_FIRMWARE_NOT_FOR_DEVICE);
    TraceFail(scope, "Firmware is not for this device\n");
    return false;
  }
  return true;
}

int CDevFlow::VerifyImageFile(const TraceScope& scope, const std::string& path) {
  if (!LoadImageOrReport(scope, path)) return 0;
  g_uMemSize = static_cast<std::uint32_t>(imageBytes.size());
  if (ReadCode() == 0) return 0;
  // A read of another length (an image larger than the memory) cannot be what it holds.
  if (readBack.size() != imageBytes.size() ||
      !std::equal(imageBytes.begin(), imageBytes.end(), readBack.begin())) {
    lastErrorCode.store(IDS_COMPARE_DATA_FAIL);
    return 0;
  }
  return 1;
}

void CDevFlow::SetResetAfter(int resetAfter) {
  if (resetAfter != 0) {
    g_uOpFlags |= kOpResetAfter;
  } else {
    g_uOpFlags &= ~kOpResetAfter;
  }
}

int CDevFlow::ReadCode() { return 0; }
int CDevFlow::EraseCode() { return 0; }
int CDevFlow::Download() { return 0; }
int CDevFlow::Silence_WriteBin(const std::string&) { return NotSupported(); }
int CDevFlow::Silence_WriteSNBin(const std::string&, const std::string&) { return NotSupported(); }
int CDevFlow::ReadToBinFile(const std::string&) { return NotSupported(); }
int CDevFlow::Silence_VerifyBin(const std::string&) { return NotSupported(); }
int CDevFlow::ReadToHexFile(const std::string&) { return NotSupported(); }
int CDevFlow::EraseCodeEx(int) { return NotSupported(); }

int CDevFlow::ReadToFile(const std::string& path, bool hexForm) {
  TraceScope scope("CDevFlow::ReadToFile", 0);
  if (ReadCode() == 0) return 0;
  std::string error;
  if (!WriteDumpFile(path, readBack, hexForm, &error)) {
    // A dump that did not reach its file is no dump.
    TraceFail(scope, "%s\n", error.c_str());
    ConsoleLine(error + "\r\n");
    lastErrorCode.store(IDS_READ_FLASH_FAIL);
    return 0;
  }
  return 1;
}

int CDevFlow::DEV_Command(std::uint8_t letter, const std::string& path) {
  lastErrorCode.store(0);
  switch (letter) {
    case 'W': return Silence_WriteBin(path);
    case 'V': return Silence_VerifyBin(path);
    case 'R':
    case 'Y':
    case 'Z': return ReadToBinFile(path);
    case 'T': return ReadToHexFile(path);
    case 'E': return EraseCodeEx(1);
    case 'C': {
      imagePath = path;
      if (!LoadImageFile()) return 0;
      bool ok = false;
      (void)MP_OTPSpaceReport(&ok);
      return ok ? 1 : 0;
    }
    default: return NotSupported();
  }
}

int CDevFlow::DEV_CommandWithSN(std::uint8_t letter, const std::string& path,
                                const std::string& serial) {
  if (letter == 'S') return Silence_WriteSNBin(path, serial);
  return NotSupported();
}

int CDevFlow::DEV_OpenDeviceByICIni(int index) {
  TraceScope scope("CDevFlow::DEV_OpenDeviceByICIni");
  TraceWrite(scope, "CDevFlow::DEV_OpenDeviceByICIni()\n");
  if (m_hDev != 0) return 1;
  if (MP_OpenDevice(index) == 0) {
    NotifyUi(UM_RESULT, IDS_DETECT_DEVICE_FAIL);
    return 0;
  }
  ReadPortLocation();
  StorePortLocation(m_dwPortAddr, m_dwParentInst);
  MP_ReadChipId();
  ReadVidPidRev(true);
  RefreshIcSettings();
  NotifyUi(UM_DEVICE_OPENED, 0);
  return 1;
}

int CDevFlow::DEV_OpenDeviceByVIDPID() {
  TraceScope scope("CDevFlow::DEV_OpenDeviceByVIDPID");
  if (m_hDev != 0) return 1;
  const std::int32_t lockPort = GetConfigInt(0, kConfigSection, "LockPort");
  const std::int32_t portNo = GetConfigInt(0, kConfigSection, "PortNo");
  const std::int32_t listKind = GetConfigInt(0, kConfigSection, "CheckVIDPID_INI");
  const int count = KoCam_GetDeviceCount();
  int result = 0;
  if (count == 0) {
    NotifyUi(UM_RESULT, IDS_DETECT_DEVICE_FAIL);
    TraceFail(scope, "Cannot find Tavrin USB Audio!\n");
    ConsoleLine("Cannot find Tavrin USB Audio!\n");
  } else {
    for (int n = 0; n < count && result == 0; ++n) {
      if (MP_OpenDevice(n) == 0) continue;
      ReadPortLocation();
      StorePortLocation(m_dwPortAddr, m_dwParentInst);
      ReadVidPidRev(false);
      // "CheckVIDPID_INI" 2 names the list file beside the tool.
      if (PassesVidPidList(listKind == 2)) {
        if (lockPort == 0) {
          result = 1;
        } else if (portNo == 0) {
          SetConfigInt(kConfigSection, "PortNo", static_cast<std::int32_t>(m_dwPortAddr));
          TraceWrite(scope, "Set Value\n");
          result = 1;
        } else if (static_cast<std::uint32_t>(portNo) == m_dwPortAddr) {
          result = 1;
        }
      }
      if (result == 0) {
        TraceWrite(scope, "%s at port %u not accepted\n", m_strVidPidRev.c_str(), m_dwPortAddr);
        MP_CloseDevice();
      }
    }
    if (result == 0) {
      NotifyUi(UM_ERROR, IDS_VIDPID_NOT_MATCH);
      TraceFail(scope, "Check VID/PID Mismatch!\n");
      ConsoleLine("Check VID/PID Mismatch!\n");
      return 0;
    }
    MP_ReadChipId();
  }
  RefreshIcSettings();
  NotifyUi(UM_DEVICE_OPENED, 0);
  lastErrorCode.store(0);
  return result;
}

int CDevFlow::DEV_GetDeviceInfo() {
  MP_GetDeviceInfo();
  NotifyUi(UM_RESULT, 0);
  return 1;
}

void CDevFlow::DEV_CloseDevice() { MP_CloseDevice(); }

void CDevFlow::DEV_InitResetOption() {
  g_uOpFlags = kOpResetAfter | kOpEmptyCheck | kOpWriteVerify;
  if (GetConfigInt(1, kConfigSection, "ResetToCache") == 0) g_uOpFlags &= ~kOpResetAfter;
  if (GetConfigInt(1, kConfigSection, "Normal Reset") == 0) {
    g_uOpFlags |= kOpNoNormalReset;
    m_byResetTarget = 5;
  } else {
    m_byResetTarget = 6;
  }
}
