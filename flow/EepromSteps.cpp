#include <algorithm>

#include "app/Trace.h"
#include "device/KoCamApi.h"
#include "flow/EepromFlow.h"
#include "flow/NotifyUi.h"
#include "flow/StopFlag.h"
#include "flow/TextIds.h"
#include "image/MpConfig.h"

namespace {
// The registers that drive the EEPROM's write-protect line, in the order they are written.
constexpr std::uint32_t kWriteProtectRegisters[4] = {0xFEA0, 0xFEA6, 0xFEA1, 0xFEA7};
}  // namespace

std::uint32_t CMpFlow_Eeprom::EepromRegion(EepromWidth width) {
  const std::uint32_t widest = width == EepromWidth::k8 ? kEep8MaxBytes : kEep16MaxBytes;
  const std::int32_t defined = IcVendorInfo("FlashSize", 0);
  const std::uint32_t size =
      defined > 0 ? std::min(static_cast<std::uint32_t>(defined), widest) : widest;
  // The start value of g_uMemSize belongs to no image: the EEPROM's own size holds then.
  if (g_uMemSize == kInitialMemSize || g_uMemSize == 0) return size;
  return std::min(g_uMemSize, size);
}

int CMpFlow_Eeprom::WriteProtectRegisters(const std::uint8_t (&set)[4], const std::uint8_t (&clear)[4]) {
  std::uint8_t values[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (ReadByte(kWriteProtectRegisters[i], &values[i]) == 0) return 0;
  }
  for (int i = 0; i < 4; ++i) {
    const auto value = static_cast<std::uint8_t>((values[i] | set[i]) & ~clear[i]);
    if (WriteByte(kWriteProtectRegisters[i], value) == 0) return 0;
  }
  return 1;
}

int CMpFlow_Eeprom::MP_EEPDisableWriteProtect() {
  TraceScope scope("CMpFlow_Eeprom::MP_EEPDisableWriteProtect", 0);
  return WriteProtectRegisters({0x20, 0x00, 0x02, 0x00}, {0x00, 0x20, 0x00, 0x02});
}

int CMpFlow_Eeprom::MP_EEPEnableWriteProtect() {
  TraceScope scope("CMpFlow_Eeprom::MP_EEPEnableWriteProtect", 0);
  return WriteProtectRegisters({0x00, 0x01, 0x00, 0x01}, {0x20, 0x00, 0x02, 0x00});
}

int CMpFlow_Eeprom::MP_EEP16Erase(std::uint32_t size) { return KobEep16Erase(0, size); }

int CMpFlow_Eeprom::MP_EEP8Erase(std::uint32_t size) { return KobEep8Erase(size); }

int CMpFlow_Eeprom::WriteChunks(EepromWidth width, const std::uint8_t* image, std::uint32_t length) {
  NotifyUi(UM_STATUS, IDS_STEP_DOWNLOAD);
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t chunk = std::min(kEepromChunkBytes, length - done);
    const int written = width == EepromWidth::k8 ? KobEep8Write(done, chunk, image + done)
                                                 : KobEep16Write(done, chunk, image + done);
    if (written == 0) return 0;
    done += chunk;
    NotifyUi(UM_PROGRESS, 50 + 20ull * done / length);
  }
  return 1;
}

int CMpFlow_Eeprom::ReadChunks(EepromWidth width, std::uint8_t* buffer, std::uint32_t length, int base,
                               int span) {
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t chunk = std::min(kEepromChunkBytes, length - done);
    const int read = width == EepromWidth::k8 ? KobEep8Read(done, chunk, buffer + done)
                                              : KobEep16Read(done, chunk, buffer + done);
    if (read == 0) return 0;
    done += chunk;
    NotifyUi(UM_PROGRESS, static_cast<std::uintptr_t>(base) + static_cast<std::uint64_t>(span) * done / length);
  }
  return 1;
}

int CMpFlow_Eeprom::MP_EEP16Write(const std::uint8_t* image, std::uint32_t length) {
  return WriteChunks(EepromWidth::k16, image, length);
}

int CMpFlow_Eeprom::MP_EEP16Read(std::uint8_t* buffer, std::uint32_t length) {
  NotifyUi(UM_STATUS, IDS_STEP_READ);
  return ReadChunks(EepromWidth::k16, buffer, length, 10, 80);
}

int CMpFlow_Eeprom::MP_EEP16VerifyRead(std::uint8_t* buffer, std::uint32_t length) {
  NotifyUi(UM_STATUS, IDS_STEP_VERIFY);
  return ReadChunks(EepromWidth::k16, buffer, length, 70, 20);
}

int CMpFlow_Eeprom::MP_EEP16WriteTag() {
  NotifyUi(UM_STATUS, IDS_STEP_WRITE_TAG);
  if (IsStopRequested()) return 0;
  return KoCam_I2C_EEP16_WriteTag(m_uFlags) != 0 ? 1 : 0;
}

int CMpFlow_Eeprom::MP_EEP8Write(const std::uint8_t* image, std::uint32_t length) {
  return WriteChunks(EepromWidth::k8, image, length);
}

int CMpFlow_Eeprom::MP_EEP8CheckEmpty(std::uint8_t* buffer) {
  NotifyUi(UM_STATUS, IDS_STEP_CHECK_EMPTY);
  if (ReadChunks(EepromWidth::k8, buffer, kEep8CheckedBytes, 30, 20) == 0) return 0;
  return std::all_of(buffer, buffer + kEep8CheckedBytes, [](std::uint8_t b) { return b == 0xFF; }) ? 1 : 0;
}

int CMpFlow_Eeprom::MP_EEP8Read(std::uint8_t* buffer, std::uint32_t length) {
  NotifyUi(UM_STATUS, IDS_STEP_READ);
  return ReadChunks(EepromWidth::k8, buffer, length, 10, 80);
}

int CMpFlow_Eeprom::MP_EEP8WriteTag() {
  NotifyUi(UM_STATUS, IDS_STEP_WRITE_TAG);
  if (IsStopRequested()) return 0;
  return KoCam_I2C_EEP8_WriteTag(m_uFlags) != 0 ? 1 : 0;
}
