#include "flow/MpFlow4.h"

#include "app/Trace.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"

namespace {
bool IsSlowFlashChip(std::uint16_t code) { return code == 0xB013 || code == 0xB014; }
}  // namespace

int CMpFlow4::MP_OpenRomDevice() {
  TraceScope scope("CMpFlow4::MP_OpenRomDevice");
  MP_ReadChipId();
  const std::uint16_t c = Chip().Code();
  if (m_bModeReg) {
    if (m_strMode == "ROM" || m_strMode == "ROM&&OTP") {
      m_bRomMode = true;
      if (c == 0xD010) (void)WriteByte(0xFED0, 0x1E);
      if (c == 0xD011) {
        std::uint8_t v = 0;
        if (ReadByte(0xD6AD, &v) != 0) {
          v = m_bImageFlagZ ? static_cast<std::uint8_t>((v & 0xDF) | 0x02)
                            : static_cast<std::uint8_t>((v & 0xFD) | 0x20);
          (void)WriteByte(0xD6AD, v);
        }
      }
      return 1;
    }
    if (m_strMode == "SPI") {
      m_uFlags |= kFlagExtUnit;
      MP_ReadChipId();
      if (IsSlowFlashChip(Chip().Code())) {
        const std::uint8_t zeros[2] = {0, 0};
        if (MP_SPIWaitWriteSr() != 0) {
          (void)KobSpiWrite(0xF000, 1, zeros);
          (void)KobSpiWrite(0xEFFE, 2, zeros);
        }
        (void)MP_SPIRestoreWriteProtect();
      }
      m_uFlags &= ~kFlagExtUnit;
    }
  }
  NotifyUi(UM_STATUS, IDS_STEP_WAIT_RESET);
  const int result = MP_ResetToRomCode();
  if (result == 0) {
    TraceFail(scope, "Device ResetToUpdateFW Fail\n");
    NotifyUi(UM_ERROR, IDS_RESET_DEVICE_FAIL);
    return 0;
  }
  if (c == 0xD011 && m_bImageFlagZ) {
    std::uint8_t v = 0;
    if (ReadByte(0xD6AD, &v) != 0) (void)WriteByte(0xD6AD, static_cast<std::uint8_t>((v & 0xDF) | 0x02));
  }
  return result;
}
