#pragma once
// The serial-flash steps: lifting and restoring write protection, the chip erase, the empty
// check, and the chunked write, verify read and read.

#include <cstdint>
#include <vector>

#include "flow/MpFlow.h"

inline constexpr std::uint32_t kFlashChunkBytes = 4096;

class CMpFlow2 : public CMpFlow {
 public:
  [[nodiscard]] int MP_SPIWaitWriteSr() override;
  [[nodiscard]] int MP_SPIRestoreWriteProtect();
  [[nodiscard]] int MP_SPIEraseChip();
  [[nodiscard]] int MP_CheckSPIFlashEmpty(std::uint8_t* buffer, std::uint32_t length);

 private:
  // Key 0x1010 chips may carry two flashes; the arrangement is probed each time.
  [[nodiscard]] bool ProbeDualFlash();
  // Reads A and B and writes them back with the pair's bit set (lift) or A set, B cleared.
  [[nodiscard]] int WriteProtectBits(const WriteProtectPair& pair, bool lift);
  // Polls the status register until its busy bit clears: 20 reads 50 ms apart.
  [[nodiscard]] int WaitNotBusy();
};

class CMpFlow3 : public CMpFlow2 {
 public:
  [[nodiscard]] int MP_SPIWriteCode(const std::uint8_t* image, std::uint32_t length);
  [[nodiscard]] int MP_SPIVerifyRead(std::uint8_t* buffer, std::uint32_t length);
  [[nodiscard]] int MP_SPIReadCode(std::uint8_t* buffer, std::uint32_t length);
  [[nodiscard]] int MP_SPIWriteTag();

 private:
  // Reads length bytes in chunks, posting base + span * done / length after each chunk.
  [[nodiscard]] int ReadChunks(std::uint8_t* buffer, std::uint32_t length, int base, int span);
};
