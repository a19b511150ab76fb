#include "flow/KobFun.h"

#include "device/KoCamApi.h"
#include "flow/NotifyUi.h"
#include "flow/StopFlag.h"
#include "platform/Clock.h"

namespace {

// Runs command up to attempts times, at once again after a failure; 1 when one succeeded.
// A stop request ends it unless the caller holds the stop off.
template <typename Command>
int Attempt(int attempts, Command command, bool stoppable = true) {
  for (int i = 0; i < attempts; ++i) {
    if (stoppable && IsStopRequested()) return 0;
    if (command() != 0) return 1;
  }
  return 0;
}

template <typename Command>
int AttemptErase(Command command) {
  int result = 0;
  for (int i = 0; i < CKobFun::kEraseAttempts; ++i) {
    if (IsStopRequested()) {
      result = 0;
      break;
    }
    if (command() != 0) {
      result = 1;
      break;
    }
    SleepMs(CKobFun::kEraseRetryPauseMs);
  }
  NotifyUi(UM_PROGRESS, 30);
  return result;
}

std::uint8_t* Mutable(const std::uint8_t* data) { return const_cast<std::uint8_t*>(data); }

}  // namespace

int CKobFun::KobReadMem(std::uint32_t address, std::uint32_t length, std::uint8_t* data) {
  return Attempt(kChunkAttempts, [&] { return KoCam_ReadMem(address, length, data, m_uFlags); }, m_iStopHold == 0);
}

int CKobFun::KobWriteMem(std::uint32_t address, std::uint32_t length, const std::uint8_t* data) {
  return Attempt(kChunkAttempts,
                 [&] { return KoCam_WriteMem(address, length, Mutable(data), m_uFlags); }, m_iStopHold == 0);
}

int CKobFun::KobSpiRead(std::uint32_t address, std::uint32_t length, std::uint8_t* data) {
  return Attempt(kChunkAttempts, [&] {
    return KoCam_SPI_SF_Read(address, length, data, m_uFlags, nullptr, 0);
  });
}

int CKobFun::KobSpiWrite(std::uint32_t address, std::uint32_t length, const std::uint8_t* data) {
  return Attempt(kChunkAttempts, [&] {
    return KoCam_SPI_SF_Write(address, length, Mutable(data), m_uFlags, nullptr, 0);
  });
}

int CKobFun::KobEep16Read(std::uint32_t address, std::uint32_t length, std::uint8_t* data) {
  return Attempt(kChunkAttempts,
                 [&] { return KoCam_I2C_EEP16_Read(address, length, data, m_uFlags); });
}

int CKobFun::KobEep16Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* data) {
  return Attempt(kChunkAttempts,
                 [&] { return KoCam_I2C_EEP16_Write(address, length, Mutable(data), m_uFlags); });
}

int CKobFun::KobEep8Read(std::uint32_t address, std::uint32_t length, std::uint8_t* data) {
  return Attempt(kChunkAttempts,
                 [&] { return KoCam_I2C_EEP8_Read(address, length, data, m_uFlags); });
}

int CKobFun::KobEep8Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* data) {
  return Attempt(kChunkAttempts,
                 [&] { return KoCam_I2C_EEP8_Write(address, length, Mutable(data), m_uFlags); });
}

int CKobFun::KobEep16Erase(std::uint32_t address, std::uint32_t length) {
  return AttemptErase([&] { return KoCam_I2C_EEP16_Clear(address, length, m_uFlags); });
}

int CKobFun::KobEep8Erase(std::uint32_t length) {
  return AttemptErase([&] { return KoCam_I2C_EEP8_Erase(length, m_uFlags); });
}

int CKobFun::KobOtpWrite(std::uint16_t address, std::uint16_t mode, std::uint16_t length, const std::uint8_t* data) {
  return Attempt(kChunkAttempts, [&] { return KoCam_OTP_Write(address, mode, length, data); }, m_iStopHold == 0);
}

int CKobFun::KobOtpRead(std::uint16_t address, std::uint16_t length, std::uint8_t* data) {
  return Attempt(kChunkAttempts, [&] { return KoCam_OTP_Read(address, length, data); }, m_iStopHold == 0);
}

int CKobFun::KobOtpFailReport(std::uint8_t* report) {
  return Attempt(
      kChunkAttempts,
      [&] {
        report[0] = 0xFF;
        return KoCam_OTP_ReadProgramFailAdr(19, report);
      },
      m_iStopHold == 0);
}
