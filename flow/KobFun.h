#pragma once
// The flows' command wrappers: each runs one device command with a number of attempts, stops
// at once when the operation was asked to stop, and returns 1 for success and 0 for failure.

#include <cstdint>

// Link to the device API: the open device and the request option bits of every command.
class CKobLibExternalUse {
 public:
  std::uint32_t m_hDev = 0;
  std::uint32_t m_uFlags = 0;
};

class CKobFun : public CKobLibExternalUse {
 public:
  static constexpr int kChunkAttempts = 8;
  static constexpr int kEraseAttempts = 3;
  static constexpr std::uint32_t kEraseRetryPauseMs = 128;

  [[nodiscard]] int KobReadMem(std::uint32_t address, std::uint32_t length, std::uint8_t* data);
  [[nodiscard]] int KobWriteMem(std::uint32_t address, std::uint32_t length, const std::uint8_t* data);
  [[nodiscard]] int KobSpiRead(std::uint32_t address, std::uint32_t length, std::uint8_t* data);
  [[nodiscard]] int KobSpiWrite(std::uint32_t address, std::uint32_t length, const std::uint8_t* data);
  [[nodiscard]] int KobEep16Read(std::uint32_t address, std::uint32_t length, std::uint8_t* data);
  [[nodiscard]] int KobEep16Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* data);
  [[nodiscard]] int KobEep8Read(std::uint32_t address, std::uint32_t length, std::uint8_t* data);
  [[nodiscard]] int KobEep8Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* data);
  // 16-bit EEPROM: 0xFF written over the range; 8-bit EEPROM: the chip's erase. Three attempts
  // 128 ms apart, then UM_PROGRESS 30 whatever the outcome.
  [[nodiscard]] int KobEep16Erase(std::uint32_t address, std::uint32_t length);
  [[nodiscard]] int KobEep8Erase(std::uint32_t length);
  [[nodiscard]] int KobOtpWrite(std::uint16_t address, std::uint16_t mode, std::uint16_t length, const std::uint8_t* data);
  [[nodiscard]] int KobOtpRead(std::uint16_t address, std::uint16_t length, std::uint8_t* data);
  // The 19-byte program-fail report of the last OTP write. Its count byte is preset to 0xFF
  // before every attempt, so a read that brings nothing back never passes as "no failure".
  [[nodiscard]] int KobOtpFailReport(std::uint8_t* report);

  // While held (counted), commands run even when a stop was requested: an OTP write that has
  // started must still register its block or record the space it consumed.
  int m_iStopHold = 0;

  // One byte read or write through ReadMem / WriteMem.
  [[nodiscard]] int ReadByte(std::uint32_t address, std::uint8_t* value) { return KobReadMem(address, 1, value); }
  [[nodiscard]] int WriteByte(std::uint32_t address, std::uint8_t value) { return KobWriteMem(address, 1, &value); }
};
