#pragma once
// Single extension-unit commands without a command-set object, for the probe and the reset.
// Each takes the command lock (at most 10 s), uses 8-byte data units and returns 1 on success,
// 0 on failure with the platform error in ProxyLastError(). A failed command reads the status
// (not interpreted) and sends the status-clear block. They never log.
//
// When the lock is not obtained they fail without sending (kUsbErrorSemTimeout): a probe must
// not interleave with another process's command.

#include <cstdint>

[[nodiscard]] int ExtUnit_DevQualify(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber);
// Status blocks from firstBlock (callers pass 0) into buffer; length below 256.
[[nodiscard]] int ExtUnit_GetDevStatus(std::uint64_t deviceId, std::uint8_t unitId,
                                       std::uint8_t interfaceNumber, std::uint32_t firstBlock,
                                       std::uint32_t length, std::uint8_t* buffer);
// kind 7 ResetToUpdateFW, 8 ResetToNewCode, 9 ResetToRom; other kinds send nothing and fail.
[[nodiscard]] int ExtUnit_Reset(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber,
                                std::uint16_t argument, std::uint32_t kind);
[[nodiscard]] int ExtUnit_ReadMem(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber,
                                  std::uint16_t address, std::uint16_t length, std::uint8_t* buffer);
[[nodiscard]] int ExtUnit_WriteMem(std::uint64_t deviceId, std::uint8_t unitId, std::uint8_t interfaceNumber,
                                   std::uint16_t address, std::uint16_t length, const std::uint8_t* buffer);
