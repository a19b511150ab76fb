#include "flow/SpiFlashSteps.h"

#include <algorithm>

#include "app/ConfigIni.h"
#include "app/Trace.h"
#include "device/KoCamApi.h"
#include "flow/NotifyUi.h"
#include "flow/StopFlag.h"
#include "flow/TextIds.h"
#include "platform/Clock.h"

namespace {
constexpr int kBusyPolls = 20;
constexpr std::uint32_t kBusyPollMs = 50;
constexpr std::uint8_t kStatusUnprotected = 0x00;
constexpr std::uint8_t kStatusProtected = 0x8C;
}  // namespace

bool CMpFlow2::ProbeDualFlash() {
  std::uint8_t v = 0;
  (void)WriteByte(0x051B, 0x29);
  SleepMs(5);
  if (ReadByte(0x050F, &v) == 0) v = 0;
  (void)WriteByte(0x051B, 0x15);
  return ((v >> 5) & 3) == 1;
}

int CMpFlow2::WriteProtectBits(const WriteProtectPair& pair, bool lift) {
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  if (ReadByte(pair.registerA, &a) == 0 || ReadByte(pair.registerB, &b) == 0) return 0;
  a = static_cast<std::uint8_t>(a | pair.bit);
  b = lift ? static_cast<std::uint8_t>(b | pair.bit) : static_cast<std::uint8_t>(b & ~pair.bit);
  return WriteByte(pair.registerA, a) != 0 && WriteByte(pair.registerB, b) != 0 ? 1 : 0;
}

int CMpFlow2::WaitNotBusy() {
  TraceScope scope("CMpFlow2::MP_SPIWaitWriteSr", 0);
  std::uint8_t status = 0;
  bool readOk = KoCam_SPI_SF_ReadSr(&status, m_uFlags) != 0;
  int polls = 0;
  while (readOk && (status & 0x01) != 0 && polls < kBusyPolls) {
    TraceWrite(scope, "Waiting for SPI_SF_WriteSr\n");
    SleepMs(kBusyPollMs);
    readOk = KoCam_SPI_SF_ReadSr(&status, m_uFlags) != 0;
    ++polls;
  }
  if (readOk && (status & 0x01) != 0) {
    TraceWrite(scope, "Waiting Time Out\n");
    TraceWrite(scope, "Waiting for failed\n");
    return 0;
  }
  if (!readOk) {
    TraceWrite(scope, "Waiting for failed\n");
    return 0;
  }
  return 1;
}

int CMpFlow2::MP_SPIWaitWriteSr() {
  MP_ReadChipId();
  const ChipIdentity chip = Chip();
  const bool dual = chip.HasModeRegister() && chip.Key() == 0x1010 && ProbeDualFlash();
  for (int pass = 0; pass < (dual ? 2 : 1); ++pass) {
    if (WriteProtectBits(WriteProtectRegisters(chip, dual, pass), true) == 0) return 0;
    if (KoCam_SPI_SF_WriteSr(kStatusUnprotected, m_uFlags) == 0) return 0;
    if (WaitNotBusy() == 0) return 0;
  }
  return 1;
}

int CMpFlow2::MP_SPIRestoreWriteProtect() {
  TraceScope scope("CMpFlow2::MP_SPIRestoreWriteProtect", 0);
  MP_ReadChipId();
  const ChipIdentity chip = Chip();
  const bool dual = chip.HasModeRegister() && chip.Key() == 0x1010 && ProbeDualFlash();
  if (dual) return 1;  // a dual arrangement is not protected again
  if (WriteProtectBits(WriteProtectRegisters(chip, false, 0), false) == 0) return 0;
  if (KoCam_SPI_SF_WriteSr(kStatusProtected, m_uFlags) == 0) {
    TraceWrite(scope, "Waiting for failed\n");
    return 0;
  }
  return WaitNotBusy();
}

int CMpFlow2::MP_SPIEraseChip() {
  const std::uint32_t timeoutMs =
      static_cast<std::uint32_t>(GetConfigInt(10000, kConfigSection, "EraseTimeOut"));
  const std::int32_t settleMs = GetConfigInt(0, kConfigSection, "EraseCommandTime");
  NotifyUi(UM_STATUS, IDS_STEP_ERASING);
  int result = 0;
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (IsStopRequested()) {
      result = 0;
      break;
    }
    result = KoCam_SPI_SF_EraseChip(timeoutMs, m_uFlags) != 0 ? 1 : 0;
    if (result != 0) break;
    SleepMs(128);
  }
  if (settleMs > 0) SleepMs(static_cast<std::uint32_t>(settleMs));
  NotifyUi(UM_PROGRESS, 5);
  return result;
}

int CMpFlow2::MP_CheckSPIFlashEmpty(std::uint8_t* buffer, std::uint32_t length) {
  TraceScope scope("CMpFlow2::MP_CheckSPIFlashEmpty", 0);
  NotifyUi(UM_STATUS, IDS_STEP_CHECK_EMPTY);
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t chunk = std::min(kFlashChunkBytes, length - done);
    if (KobSpiRead(done, chunk, buffer + done) == 0) {
      TraceWrite(scope, "Read Flash Code Fail\n");
      return 0;
    }
    done += chunk;
    NotifyUi(UM_PROGRESS, 5 + 30ull * done / length);
  }
  return std::all_of(buffer, buffer + length, [](std::uint8_t b) { return b == 0xFF; }) ? 1 : 0;
}

int CMpFlow3::MP_SPIWriteCode(const std::uint8_t* image, std::uint32_t length) {
  NotifyUi(UM_STATUS, IDS_STEP_DOWNLOAD);
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t chunk = std::min(kFlashChunkBytes, length - done);
    if (KobSpiWrite(done, chunk, image + done) == 0) return 0;
    done += chunk;
    NotifyUi(UM_PROGRESS, 35 + 30ull * done / length);
  }
  return 1;
}

int CMpFlow3::ReadChunks(std::uint8_t* buffer, std::uint32_t length, int base, int span) {
  for (std::uint32_t done = 0; done < length;) {
    const std::uint32_t chunk = std::min(kFlashChunkBytes, length - done);
    if (KobSpiRead(done, chunk, buffer + done) == 0) return 0;
    done += chunk;
    NotifyUi(UM_PROGRESS, static_cast<std::uintptr_t>(base) + static_cast<std::uint64_t>(span) * done / length);
  }
  return 1;
}

int CMpFlow3::MP_SPIVerifyRead(std::uint8_t* buffer, std::uint32_t length) {
  NotifyUi(UM_STATUS, IDS_STEP_VERIFY);
  return ReadChunks(buffer, length, 65, 30);
}

int CMpFlow3::MP_SPIReadCode(std::uint8_t* buffer, std::uint32_t length) {
  NotifyUi(UM_STATUS, IDS_STEP_READ);
  return ReadChunks(buffer, length, 10, 80);
}

int CMpFlow3::MP_SPIWriteTag() {
  NotifyUi(UM_STATUS, IDS_STEP_WRITE_TAG);
  return KoCam_SPI_SF_WriteTag(m_uFlags) != 0 ? 1 : 0;
}
