#include "flow/SpiFlashInfo.h"

#include <algorithm>
#include <array>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/Trace.h"
#include "device/KoCamApi.h"
#include "flow/FlashCarry.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"
#include "image/ICTypeIni.h"
#include "platform/MessageBox.h"

int CSPIFlashInfo_USB::LocateConfigArea(const std::vector<std::uint8_t>* buffer) {
  return LocateConfigAreaOf(buffer);
}

int CSPIFlashInfo_USB::ReadCode() {
  TraceScope scope("CSPIFlashInfo_USB::ReadCode");
  readBack.assign(g_uMemSize, 0);
  m_uFlags |= kFlagExtUnit;
  std::uint16_t unit = 64;
  (void)KoCam_ChangeDataControlSize(&unit);
  const int read = MP_SPIReadCode(readBack.data(), static_cast<std::uint32_t>(readBack.size()));
  RestoreDataUnit();
  m_uFlags &= ~kFlagExtUnit;
  if (read == 0) {
    NotifyUi(UM_ERROR, IDS_READ_FLASH_FAIL);
    return 0;
  }
  return FinishOperation(m_bModeReg && g_uMemSize == 0x4000 && m_bRomMode, kFlagKnownChannel,
                         IDS_READ_FLASH_SUCCEED);
}

int CSPIFlashInfo_USB::EraseCode() {
  TraceScope scope("CSPIFlashInfo_USB::EraseCode");
  if (MP_OpenRomDevice() == 0) return 0;
  if (MP_SPIWaitWriteSr() == 0) {
    NotifyUi(UM_ERROR, IDS_DISABLE_WRITE_PROTECT_FAIL);
    return 0;
  }
  const int erased = MP_SPIEraseChip();
  const int protectedAgain = MP_SPIRestoreWriteProtect();
  if (erased == 0) {
    NotifyUi(UM_ERROR, IDS_ERASE_FLASH_FAIL);
    return 0;
  }
  if (protectedAgain == 0) {
    NotifyUi(UM_ERROR, IDS_ENABLE_WRITE_PROTECT_FAIL);
    return 0;
  }
  const bool alwaysReset = m_bModeReg && (m_strMode == "ROM&&SPI" || m_strMode == "ROM&&OTP");
  return FinishOperation(alwaysReset || (g_uOpFlags & kOpResetAfter) != 0,
                         alwaysReset ? kFlagKnownChannel : 0, IDS_ERASE_FLASH_SUCCEED);
}

int CSPIFlashInfo_USB::EraseCodeEx(int resetAfter) {
  SetResetAfter(resetAfter);
  return EraseCode();
}

void CSPIFlashInfo_USB::CarryDeviceData() {
  TraceScope scope("CFlashInfo::CarryDeviceData", 0);
  if (m_wVid == 0x0B05 && (m_wPid == 0x18A6 || m_wPid == 0x1965)) {
    std::array<std::uint8_t, kConfigAreaBytes> area{};
    if (KobSpiRead(kConfigAreaOffset, kConfigAreaBytes, area.data()) == 0) return;
    const PRecordCarry carry = CarryPRecord(area, imageBytes);
    if (carry == PRecordCarry::kNoDeviceCode) ShowMessageBox("SPI code not exist.", "Error");
    if (carry != PRecordCarry::kCarried) TraceWrite(scope, "P record not carried (%d)\n", static_cast<int>(carry));
  } else if (m_wVid == 0x3C5E && m_wPid == 0x4C15) {
    std::array<std::uint8_t, kKeptSectorBytes> sector{};
    if (KobSpiRead(kKeptSectorAddress, kKeptSectorBytes, sector.data()) != 0) {
      KeepSectorInImage(sector, imageBytes);
    }
  }
}

int CSPIFlashInfo_USB::FFU_Download() {
  TraceScope scope("CFlashInfo::FFU_Download");
  (void)KoCam_GetVidPidRev(&m_wVid, &m_wPid, &m_wRev);
  TraceWrite(scope, "Start Download VID is %04x PID is %04x RevID is %04x", m_wVid, m_wPid, m_wRev);
  if (RunPreAction() == 0) return 0;
  (void)KoCam_GetVidPidRev(&m_wVid, &m_wPid, &m_wRev);
  CarryDeviceData();
  if (MP_OpenRomDevice() == 0) return 0;
  const int result = FF_Update(imageBytes.data(), static_cast<std::uint32_t>(imageBytes.size()));
  if (result != 0) {
    ReadVidPidRev(true);
    NotifyUi(UM_PROGRESS, 100);
    NotifyUi(UM_SUCCESS, IDS_FIRMWARE_UPDATE_SUCCEED);
  }
  std::uint16_t vid = 0, pid = 0, rev = 0;
  (void)KoCam_GetVidPidRev(&vid, &pid, &rev);
  TraceWrite(scope, "After Download VID is %04x PID is %04x RevID is %04x", vid, pid, rev);
  return result;
}

int CSPIFlashInfo_USB::SilenceWrite(const std::string& path, bool alwaysFailOnLoad) {
  TraceScope scope("CFlashInfo::FFU_Silence_WriteBin");
  imagePath = path;
  // A file that is not there leaves the image already held (the built-in one) in use.
  if (!LoadImageFile() && (alwaysFailOnLoad || imageBytes.size() < 0x10000)) return ReportLoadFailure(scope);
  if (!CheckImageForDevice(scope, false)) return 0;
  return FFU_Download();
}

int CSPIFlashInfo_USB::Silence_WriteBin(const std::string& path) { return SilenceWrite(path, false); }

int CSPIFlashInfo_USB::Silence_WriteSNBin(const std::string& path, const std::string&) {
  return SilenceWrite(path, true);
}

int CSPIFlashInfo_USB::Silence_VerifyBin(const std::string& path) {
  TraceScope scope("CFlashInfo::FFU_Silence_VerifyBin");
  return VerifyImageFile(scope, path);
}
