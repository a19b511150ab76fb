#pragma once
// Wire constants of the extension-unit command set: the class requests on controls 10 and 11,
// the 8-byte command block templates and the device's status codes.

#include <array>
#include <cstdint>

using CommandBlock = std::array<std::uint8_t, 8>;

inline constexpr std::uint8_t kSetCur = 0x01;
inline constexpr std::uint8_t kGetCur = 0x81;
inline constexpr std::uint8_t kGetLen = 0x85;
inline constexpr std::uint8_t kTypeClassOut = 0x21;
inline constexpr std::uint8_t kTypeClassIn = 0xA1;
inline constexpr std::uint8_t kCommandControl = 10;
inline constexpr std::uint8_t kDataControl = 11;
inline constexpr std::uint32_t kEntryUnitSize = 8;  // the entry points always use 8-byte units

// The signature the device answers to DevQualify and carries at status bytes 24..31.
inline constexpr std::array<std::uint8_t, 8> kDeviceSignature = {'N', 'O', 'V', 'I', 'K', 'E', 'N', 0};

// P1, P2, P3 little-endian into bytes 2..7.
constexpr void PutP1(CommandBlock& b, std::uint16_t v) { b[2] = v & 0xFF; b[3] = v >> 8; }
constexpr void PutP2(CommandBlock& b, std::uint16_t v) { b[4] = v & 0xFF; b[5] = v >> 8; }
constexpr void PutP3(CommandBlock& b, std::uint16_t v) { b[6] = v & 0xFF; b[7] = v >> 8; }

namespace tpl {
inline constexpr CommandBlock kStatusClear = {0xFF, 0, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kGetDevStatus = {0x00, 0xCD, 0, 0, 0x08, 0, 0, 0};
inline constexpr CommandBlock kResetToUpdateFW = {0x00, 0x07, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kResetToNewCode = {0x00, 0x08, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kResetToRom = {0x00, 0x09, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kReadIMem = {0x00, 0xC1, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kReadMem = {0x00, 0xC2, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kWriteMem = {0x00, 0x82, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kReadCode = {0x00, 0xC3, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kReadPhy = {0x00, 0xCC, 0, 0, 0x01, 0, 0, 0};
inline constexpr CommandBlock kWritePhy = {0x00, 0x8C, 0, 0, 0x01, 0, 0, 0};
inline constexpr CommandBlock kNorFlashErase = {0x00, 0x04, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kNorFlashRead = {0x00, 0xC5, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kNorFlashWrite = {0x00, 0x85, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kNorFlashWriteTag = {0x00, 0x06, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kSfReadId = {0x02, 0xC1, 0, 0, 0x08, 0, 0, 0};
inline constexpr CommandBlock kSfRead = {0x02, 0xC2, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kSfWrite = {0x02, 0x82, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kSfReadSr = {0x02, 0xC3, 0, 0, 0x01, 0, 0, 0};
inline constexpr CommandBlock kSfWriteSr = {0x02, 0x83, 0, 0, 0x01, 0, 0, 0};
inline constexpr CommandBlock kSfEraseChip = {0x02, 0x04, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kSfEraseSector = {0x02, 0x05, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kSfWriteTag = {0x02, 0x13, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kEep8Read = {0x02, 0xCB, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kEep8Write = {0x02, 0x8B, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kEep16Read = {0x02, 0xD1, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kEep16Write = {0x02, 0x91, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kI2CRead = {0x00, 0xEA, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kI2CReadReg = {0x00, 0xCA, 0, 0, 0x02, 0, 0, 0};
inline constexpr CommandBlock kI2CWrite = {0x00, 0xAA, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kI2CWriteReg = {0x00, 0x8A, 0, 0, 0x02, 0, 0, 0};
inline constexpr CommandBlock kI2CRandomRead = {0x00, 0xF1, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kI2CRandomWrite = {0x00, 0xB1, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kI2CSuperRead = {0x00, 0xF2, 0x08, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kI2CSuperWrite = {0x00, 0xB2, 0x08, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kI2CLongRead = {0x00, 0xF0, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kI2CLongWrite = {0x00, 0xB0, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kOtpWrite = {0x02, 0x97, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kOtpRead = {0x02, 0xD7, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kOtpBlankCheck = {0x02, 0xD8, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kOtpAllBlankCheck = {0x02, 0xDF, 0, 0, 0x08, 0, 0, 0};
inline constexpr CommandBlock kOtpProgramFailAdr = {0x02, 0xDC, 0, 0, 0x13, 0, 0, 0};
inline constexpr CommandBlock kDevQualify = {0x00, 0xD0, 0, 0, 0x08, 0, 0, 0};
inline constexpr CommandBlock kChangeDataControlSize = {0x00, 0x16, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kOtpTestDec = {0x02, 0xD9, 0, 0, 0, 0, 0, 0};
inline constexpr CommandBlock kOtpWriteTest = {0x02, 0x9A, 0, 0, 0, 0, 0, 0};
}  // namespace tpl

// The name the error report prints for a status byte.
[[nodiscard]] const char* VcmdStatusName(std::uint8_t code);
