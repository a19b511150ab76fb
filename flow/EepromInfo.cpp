#include "flow/EepromInfo.h"

#include <algorithm>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/Trace.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"
#include "platform/Clock.h"

void CEepromInfo::CountDown() {
  if (App().runMode != kRunModeGui || GetConfigInt(0, kConfigSection, "SaveSN") == 0) return;
  for (int second = 2; second > 0; --second) {
    NotifyUi(UM_STATUS, 0);
    SleepMs(1000);
  }
}

void CEepromInfo::ReportDownloaded() {
  NotifyUi(UM_PROGRESS, 100);
  NotifyUi(UM_SUCCESS, IDS_DOWNLOAD_EEPROM_SUCCEED);
}

int CEepromInfo::ReadEeprom(EepromWidth width) {
  TraceScope scope(width == EepromWidth::k8 ? "CEepromInfo8_USB::ReadCode" : "CEepromInfo16_USB::ReadCode");
  if (MP_OpenRomDevice() == 0) return 0;
  readBack.assign(EepromRegion(width), 0);
  const auto length = static_cast<std::uint32_t>(readBack.size());
  const int read = width == EepromWidth::k8 ? MP_EEP8Read(readBack.data(), length)
                                            : MP_EEP16Read(readBack.data(), length);
  if (read == 0) {
    NotifyUi(UM_ERROR, IDS_READ_EEPROM_FAIL);
    return 0;
  }
  return FinishOperation(true, 0, IDS_READ_EEPROM_SUCCEED);
}

int CEepromInfo::EraseEeprom(EepromWidth width) {
  TraceScope scope(width == EepromWidth::k8 ? "CEepromInfo8_USB::EraseCode" : "CEepromInfo16_USB::EraseCode");
  if (MP_OpenRomDevice() == 0) return 0;
  const std::uint32_t region = EepromRegion(width);
  int erased = 0;
  if (width == EepromWidth::k8) {
    erased = MP_EEP8Erase(region);
    // The part acknowledges an erase while its protect line is high and keeps every byte; the
    // 8-bit form leaves that line alone, so what it did is read back before "erased" is said.
    std::uint8_t head[kEep8CheckedBytes] = {};
    if (erased != 0 && MP_EEP8CheckEmpty(head) == 0) {
      TraceFail(scope, "EEPROM not erased (write protected?)\n");
      erased = 0;
    }
  } else {
    if (MP_EEPDisableWriteProtect() == 0) {
      NotifyUi(UM_ERROR, IDS_DISABLE_WRITE_PROTECT_FAIL);
      return 0;
    }
    erased = MP_EEP16Erase(region);
    (void)MP_EEPEnableWriteProtect();  // a failed restore does not fail the erase
  }
  if (erased == 0) {
    NotifyUi(UM_ERROR, IDS_ERASE_EEPROM_FAIL);
    return 0;
  }
  return FinishOperation((g_uOpFlags & kOpResetAfter) != 0, 0, IDS_ERASE_EEPROM_SUCCEED);
}

int CEepromInfo::EEU16_Download() {
  TraceScope scope("CEepromInfo::EEU16_Download");
  if (RunPreAction() == 0) return 0;
  readBack.assign(imageBytes.size(), 0);
  if (MP_OpenRomDevice() == 0) return 0;
  const int result = EE16_Update(imageBytes.data(), static_cast<std::uint32_t>(imageBytes.size()));
  CountDown();
  if (result != 0) ReportDownloaded();
  if (App().runMode == kRunModeGui) (void)MP_ShowModeVersion();
  return result;
}

int CEepromInfo::Eep8Update() {
  TraceScope scope("CEepromInfo::EEU8_Update");
  const auto length = static_cast<std::uint32_t>(imageBytes.size());
  readBack.assign(std::max(length, kEep8CheckedBytes), 0);
  if (MP_OpenRomDevice() == 0) return 0;
  if (MP_EEPDisableWriteProtect() == 0) {
    TraceFail(scope, "Disable Write Protect Fail\n");
    NotifyUi(UM_ERROR, IDS_DISABLE_WRITE_PROTECT_FAIL);
    return 0;
  }
  int id = 0;
  const char* message = nullptr;
  if (MP_EEP8Erase(kEep8CheckedBytes) == 0) {
    message = "Erase I2CEEP Fail\n", id = IDS_ERASE_EEPROM_FAIL;
  } else if ((g_uOpFlags & kOpEmptyCheck) != 0 && MP_EEP8CheckEmpty(readBack.data()) == 0) {
    const std::uint8_t* b = readBack.data();
    const auto stuck = std::find_if(b, b + kEep8CheckedBytes, [](std::uint8_t v) { return v != 0xFF; });
    if (stuck != b + kEep8CheckedBytes) {
      TraceFail(scope, "Byte 0x%02X reads 0x%02X after the erase\n", static_cast<unsigned>(stuck - b), *stuck);
    }
    message = "Check I2CEEP Empty Fail\n", id = IDS_CHECK_EMPTY_FAIL;
  } else if ((g_uOpFlags & kOpWriteVerify) != 0) {
    message = WriteVerifyTag(EepromWidth::k8, imageBytes.data(), length, &id);
  }
  if (message != nullptr) {
    (void)MP_EEPEnableWriteProtect();
    TraceFail(scope, "%s", message);
    NotifyUi(UM_ERROR, static_cast<std::uintptr_t>(id));
    return 0;
  }
  if (MP_EEPEnableWriteProtect() == 0) {
    TraceFail(scope, "Enable Write Protect Fail\n");
    NotifyUi(UM_ERROR, IDS_ENABLE_WRITE_PROTECT_FAIL);
    return 0;
  }
  if ((g_uOpFlags & kOpResetAfter) != 0 && ResetIntoNewCode(0) == 0) {
    TraceFail(scope, "Device ResetToRom Fail\n");
    NotifyUi(UM_ERROR, IDS_RESET_DEVICE_FAIL);
    return 0;
  }
  return 1;
}

int CEepromInfo::EEU8_Download() {
  TraceScope scope("CEepromInfo::EEU8_Download");
  if (RunPreAction() == 0) return 0;
  const int result = Eep8Update();
  if (result != 0) {
    CountDown();
    ReportDownloaded();
  }
  // Whatever the outcome, the version shown is the one the chip now reports.
  (void)MP_ShowModeVersion();
  return result;
}

int CEepromInfo::SilenceWrite(const std::string& path, EepromWidth width) {
  TraceScope scope(width == EepromWidth::k8 ? "CEepromInfo::EEU8_Silence_WriteBin" : "CEepromInfo::EEU16_Silence_WriteBin");
  // EEPROM images name their chip exactly: no family of chip ids is taken as one.
  if (!LoadImageOrReport(scope, path) || !CheckImageForDevice(scope, true)) return 0;
  return width == EepromWidth::k8 ? EEU8_Download() : EEU16_Download();
}

int CEepromInfo::SilenceVerify(const std::string& path, EepromWidth width) {
  TraceScope scope(width == EepromWidth::k8 ? "CEepromInfo::EEU8_Silence_VerifyBin" : "CEepromInfo::EEU16_Silence_VerifyBin");
  return VerifyImageFile(scope, path);
}
