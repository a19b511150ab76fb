#pragma once
// The I2C EEPROM steps (write protection, erase, empty check, chunked write / read / verify,
// tag) and the 16-bit update flow. EEPROM traffic moves in 8-byte chunks in both widths.

#include <cstdint>

#include "flow/DevFlow.h"

inline constexpr std::uint32_t kEepromChunkBytes = 8;
inline constexpr std::uint32_t kEep8CheckedBytes = 64;
// An 8-bit addressed part reaches at most 2 KiB (eight 256-byte blocks).
inline constexpr std::uint32_t kEep8MaxBytes = 0x800;
inline constexpr std::uint32_t kEep16MaxBytes = 0x10000;

enum class EepromWidth { k8, k16 };

class CMpFlow_Eeprom : public CDevFlow {
 public:
  [[nodiscard]] int MP_EEPDisableWriteProtect();
  [[nodiscard]] int MP_EEPEnableWriteProtect();
  [[nodiscard]] int MP_EEP16Erase(std::uint32_t size);
  [[nodiscard]] int MP_EEP8Erase(std::uint32_t size);
  [[nodiscard]] int MP_EEP16Write(const std::uint8_t* image, std::uint32_t length);
  [[nodiscard]] int MP_EEP16Read(std::uint8_t* buffer, std::uint32_t length);
  [[nodiscard]] int MP_EEP16VerifyRead(std::uint8_t* buffer, std::uint32_t length);
  [[nodiscard]] int MP_EEP16WriteTag();
  [[nodiscard]] int MP_EEP8Write(const std::uint8_t* image, std::uint32_t length);
  // Reads the first 64 bytes into buffer; 1 when all of them are 0xFF.
  [[nodiscard]] int MP_EEP8CheckEmpty(std::uint8_t* buffer);
  [[nodiscard]] int MP_EEP8Read(std::uint8_t* buffer, std::uint32_t length);
  [[nodiscard]] int MP_EEP8WriteTag();

  // Unprotect, write with byte 1 held at 0xFF, verify, tag, protect, reset into the new code.
  // 1 on success; on failure 0 with *errorId set.
  [[nodiscard]] int EE16_UpdateEx_Cmd2(std::uint8_t* image, std::uint32_t length, int* errorId);
  // The 16-bit update entry: a failure restores the data unit and the protection once more
  // and posts UM_ERROR with the flow's id.
  [[nodiscard]] int EE16_Update(std::uint8_t* image, std::uint32_t length);

 protected:
  // The region a read or erase covers: the EEPROM's size when no image set g_uMemSize,
  // never more than the EEPROM holds.
  [[nodiscard]] static std::uint32_t EepromRegion(EepromWidth width);
  // Writes the image with its tag byte held at 0xFF, reads it back into readBack (a buffer of
  // at least length bytes), compares, then runs the tag command. Null on success, else the
  // log line with *id its text id. The image is left as it came.
  [[nodiscard]] const char* WriteVerifyTag(EepromWidth width, std::uint8_t* image, std::uint32_t length, int* id);

 private:
  // Sets or clears one bit of each of the four write-protect registers, read first.
  [[nodiscard]] int WriteProtectRegisters(const std::uint8_t (&set)[4], const std::uint8_t (&clear)[4]);
  // Chunked transfer; after each chunk UM_PROGRESS base + span * done / length.
  [[nodiscard]] int WriteChunks(EepromWidth width, const std::uint8_t* image, std::uint32_t length);
  [[nodiscard]] int ReadChunks(EepromWidth width, std::uint8_t* buffer, std::uint32_t length, int base, int span);
};
