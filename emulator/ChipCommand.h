#pragma once
// One chip command as both entry points (extension-unit block, vendor request) decode it.

#include <cstdint>

namespace vcodec {

enum class Op : std::uint8_t {
  kStatus, kResetUpdate, kResetNew, kResetRom,
  kReadIMem, kReadMem, kWriteMem, kReadCode, kReadPhy, kWritePhy,
  kNorErase, kNorRead, kNorWrite, kNorTag,
  kSfReadId, kSfRead, kSfWrite, kSfReadSr, kSfWriteSr, kSfEraseChip, kSfEraseSector, kSfTag,
  kEep8Read, kEep8Write, kEep16Read, kEep16Write, kEepRead, kEepWrite,
  kI2c,
  kOtpWrite, kOtpRead, kOtpBlank, kOtpAllBlank, kOtpFailReport, kOtpTestDec, kOtpWriteTest,
  kQualify, kChangeUnit, kReadByte, kWrite10,
};

enum class Dir : std::uint8_t { kNone, kIn, kOut };

struct Command {
  Op op = Op::kStatus;
  Dir dir = Dir::kNone;
  std::uint32_t address = 0;
  std::uint32_t length = 0;   // bytes of the data phase
  std::uint32_t arg = 0;      // reset argument, requested unit size, ...
};

// What a reset command asks for once its transfer has completed.
enum class ResetRequest : std::uint8_t { kNone, kToRomCode, kBoot };

}  // namespace vcodec
