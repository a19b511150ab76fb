#include "flow/EepromFlow.h"

#include <algorithm>

#include "app/Trace.h"
#include "flow/NotifyUi.h"
#include "flow/StopFlag.h"
#include "flow/TextIds.h"

namespace {

// The boot tag lives at EEPROM address 1; the tag command writes it last.
constexpr std::uint32_t kTagByte = 1;

}  // namespace

const char* CMpFlow_Eeprom::WriteVerifyTag(EepromWidth width, std::uint8_t* image, std::uint32_t length,
                                           int* id) {
  const bool wide = width == EepromWidth::k16;
  const std::uint8_t kept = length > kTagByte ? image[kTagByte] : 0xFF;
  if (length > kTagByte) image[kTagByte] = 0xFF;  // valid only once the tag command wrote it
  const char* message = nullptr;
  if ((wide ? MP_EEP16Write(image, length) : MP_EEP8Write(image, length)) == 0) {
    message = "Write I2CEEP Fail\n", *id = IDS_UPDATE_EEPROM_FAIL;
  } else if ((wide ? MP_EEP16VerifyRead(readBack.data(), length) : MP_EEP8Read(readBack.data(), length)) == 0) {
    message = "Read I2CEEP Fail\n", *id = IDS_READ_EEPROM_FAIL;
  } else if (!std::equal(image, image + length, readBack.data())) {
    message = "Check I2CEEP Fail\n", *id = IDS_COMPARE_DATA_FAIL;
  } else if ((wide ? MP_EEP16WriteTag() : MP_EEP8WriteTag()) == 0) {
    message = "Write I2CEEP Tag Fail\n", *id = IDS_WRITE_TAG_FAIL;
  }
  // The held image stays as it was loaded.
  if (length > kTagByte) image[kTagByte] = kept;
  return message;
}

int CMpFlow_Eeprom::EE16_UpdateEx_Cmd2(std::uint8_t* image, std::uint32_t length, int* errorId) {
  TraceScope scope("CMpFlow_Eeprom::EE16_UpdateEx_Cmd2");
  if (MP_EEPDisableWriteProtect() == 0) {
    return FailStep(scope, "Disable Write Protect Fail\n", IDS_DISABLE_WRITE_PROTECT_FAIL, errorId);
  }
  if ((g_uOpFlags & kOpWriteVerify) != 0) {
    int id = 0;
    if (const char* message = WriteVerifyTag(EepromWidth::k16, image, length, &id)) {
      return FailStep(scope, message, id, errorId);
    }
  }
  if (MP_EEPEnableWriteProtect() == 0) {
    return FailStep(scope, "Enable Write Protect Fail\n", IDS_ENABLE_WRITE_PROTECT_FAIL, errorId);
  }
  if ((g_uOpFlags & kOpResetAfter) != 0 && ResetIntoNewCode(0) == 0) {
    return FailStep(scope, "Device ResetToRom Fail\n", IDS_RESET_DEVICE_FAIL, errorId);
  }
  return 1;
}

int CMpFlow_Eeprom::EE16_Update(std::uint8_t* image, std::uint32_t length) {
  TraceScope scope("CMpFlow_Eeprom::EE16_Update");
  readBack.assign(length, 0);
  if (IsStopRequested()) {
    NotifyUi(UM_ERROR, IDS_RESET_DEVICE_FAIL);
    return 0;
  }
  int errorId = IDS_RESET_DEVICE_FAIL;
  const int result = EE16_UpdateEx_Cmd2(image, length, &errorId);
  if (result == 0) {
    RestoreDataUnit();
    (void)MP_EEPEnableWriteProtect();
    NotifyUi(UM_ERROR, static_cast<std::uintptr_t>(errorId));
  }
  return result;
}
