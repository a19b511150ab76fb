#include "flow/FlashFlow.h"

#include <algorithm>

#include "app/Trace.h"
#include "device/KoCamApi.h"
#include "flow/NotifyUi.h"
#include "flow/StopFlag.h"
#include "flow/TextIds.h"

bool CMpFlow_Flash::TagInside(std::uint32_t length, std::uint32_t* tagAddress) const {
  *tagAddress = static_cast<std::uint32_t>(IcVendorInfo("TagAddress", 0xEFFE));
  return *tagAddress + 2 <= length;
}

const char* CMpFlow_Flash::WriteAndCompare(const std::uint8_t* image, std::uint32_t length, int* id) {
  if (MP_SPIWriteCode(image, length) == 0) return *id = IDS_UPDATE_FLASH_FAIL, "Write Flash Code Fail\n";
  if (MP_SPIVerifyRead(readBack.data(), length) == 0) return *id = IDS_READ_FLASH_FAIL, "Read Flash Code Fail\n";
  if (!std::equal(image, image + length, readBack.data())) {
    return *id = IDS_COMPARE_DATA_FAIL, "Check Flash Code Fail\n";
  }
  return nullptr;
}

int CMpFlow_Flash::FF_UpdateEx_Standard(std::uint8_t* image, std::uint32_t length, int* errorId) {
  TraceScope scope("CMpFlow_Flash::FF_UpdateEx_Standard");
  std::uint32_t tag = 0;
  const bool tagInside = TagInside(length, &tag);
  if (m_bModeReg && tagInside) image[tag] = image[tag + 1] = 0xFF;
  if (MP_SPIWaitWriteSr() == 0) return FailStep(scope, "Disable Write Protect Fail\n", IDS_DISABLE_WRITE_PROTECT_FAIL, errorId);
  if (MP_SPIEraseChip() == 0) {
    (void)MP_SPIRestoreWriteProtect();
    return FailStep(scope, "Erase Flash Fail\n", IDS_ERASE_FLASH_FAIL, errorId);
  }
  if ((g_uOpFlags & kOpEmptyCheck) != 0 && MP_CheckSPIFlashEmpty(readBack.data(), length) == 0) {
    const std::uint8_t* b = readBack.data();
    TraceFail(scope, "Byte0~8 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x", b[0], b[1], b[2],
              b[3], b[4], b[5], b[6], b[7]);
    TraceFail(scope, "Byte9~16 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x 0x%02x", b[8], b[9],
              b[10], b[11], b[12], b[13], b[14], b[15]);
    (void)MP_SPIRestoreWriteProtect();
    return FailStep(scope, "Check Flash Empty Fail\n", IDS_CHECK_EMPTY_FAIL, errorId);
  }
  if ((g_uOpFlags & kOpWriteVerify) != 0) {
    std::uint8_t kept[2] = {0xFF, 0xFF};
    if (tagInside) {
      kept[0] = image[tag];
      kept[1] = image[tag + 1];
      image[tag] = image[tag + 1] = 0xFF;  // the tag goes last
    }
    int id = 0;
    const char* message = WriteAndCompare(image, length, &id);
    if (message == nullptr && !m_bImageHasTag && !m_bModeReg && tagInside &&
        KobSpiWrite(tag, 2, kept) == 0) {
      message = "Write Tag Fail\n", id = IDS_WRITE_TAG_FAIL;
    }
    if (tagInside) image[tag] = kept[0], image[tag + 1] = kept[1];
    if (message != nullptr) {
      (void)MP_SPIRestoreWriteProtect();
      return FailStep(scope, message, id, errorId);
    }
  }
  if (MP_SPIRestoreWriteProtect() == 0) return FailStep(scope, "Enable Write Protect Fail\n", IDS_ENABLE_WRITE_PROTECT_FAIL, errorId);
  if ((g_uOpFlags & kOpResetAfter) != 0) {
    if (ResetIntoNewCode(0) == 0) return FailStep(scope, "Devcie ResetToCache Fail\n", IDS_RESET_DEVICE_FAIL, errorId);
    if ((g_uOpFlags & kOpWriteVerify) != 0 && !MP_CheckRunningCode()) {
      TraceFail(scope, "Device is not in cache mode\n");
      NotifyUi(UM_ERROR, IDS_DEVICE_NOT_IN_CACHE_MODE);
      return 0;
    }
  }
  return 1;
}

int CMpFlow_Flash::FF_UpdateEx_ForSimulateOTP(std::uint8_t* image, std::uint32_t length, int* errorId) {
  TraceScope scope("CMpFlow_Flash::FF_UpdateEx_ForSimulateOTP");
  if (MP_SPIWaitWriteSr() == 0) return FailStep(scope, "Disable Write Protect Fail\n", IDS_DISABLE_WRITE_PROTECT_FAIL, errorId);
  int id = IDS_ERASE_FLASH_FAIL;
  const char* message = MP_SPIEraseChip() == 0 ? "Erase Flash Fail\n" : WriteAndCompare(image, length, &id);
  if (message != nullptr) {
    (void)MP_SPIRestoreWriteProtect();
    return FailStep(scope, message, id, errorId);
  }
  if (MP_SPIRestoreWriteProtect() == 0) return FailStep(scope, "Enable Write Protect Fail\n", IDS_ENABLE_WRITE_PROTECT_FAIL, errorId);
  if ((g_uOpFlags & kOpResetAfter) != 0 &&
      ResetIntoNewCode(m_bRomMode ? kFlagKnownChannel : 0) == 0) {
    return FailStep(scope, "Devcie ResetToCache Fail\n", IDS_RESET_DEVICE_FAIL, errorId);
  }
  return 1;
}

int CMpFlow_Flash::FF_Update(std::uint8_t* image, std::uint32_t length) {
  TraceScope scope("CMpFlow_Flash::FF_Update");
  readBack.assign(length, 0);
  if (IsStopRequested()) {
    NotifyUi(UM_ERROR, IDS_RESET_DEVICE_FAIL);
    return 0;
  }
  int errorId = 0;
  int result = 0;
  if (length == 0x4000 && m_bModeReg) {
    if (!ParseImage(std::span<const std::uint8_t>(image, length)).has_value()) {
      NotifyUi(UM_ERROR, IDS_GET_CODE_SIZE_FAIL);
      return 0;
    }
    result = FF_UpdateEx_ForSimulateOTP(image, length, &errorId);
  } else {
    result = FF_UpdateEx_Standard(image, length, &errorId);
  }
  if (result == 0) {
    RestoreDataUnit();
    (void)MP_SPIRestoreWriteProtect();
    NotifyUi(UM_ERROR, static_cast<std::uintptr_t>(errorId != 0 ? errorId : int{IDS_RESET_DEVICE_FAIL}));
  }
  return result;
}
