#pragma once
// Single vendor requests without a command-set object, for the probe and the reset. Each
// returns 0 or the platform error (no lock is taken).

#include <cstdint>

inline constexpr std::uint8_t kVendorOut = 0x40;
inline constexpr std::uint8_t kVendorIn = 0xC0;

[[nodiscard]] std::uint32_t VReq_ReadByte(std::uint64_t deviceId, std::uint16_t value, std::uint8_t* byte);
[[nodiscard]] std::uint32_t VReq_Command(std::uint64_t deviceId, std::uint16_t value, std::uint16_t index);
// kind 7, 8, 9 send requests 0x20, 0x21, 0x22; any other kind returns 0x80070057.
[[nodiscard]] std::uint32_t VReq_Reset(std::uint64_t deviceId, std::uint16_t argument, std::uint32_t kind);
// 8-byte blocks in order (length a multiple of 8); the first failing block ends the read, one
// that delivers other than 8 bytes with 0x80004005.
[[nodiscard]] std::uint32_t VReq_ReadStatus(std::uint64_t deviceId, std::uint32_t firstBlock,
                                            std::uint32_t length, std::uint8_t* buffer);
[[nodiscard]] std::uint32_t VReq_ReadMem(std::uint64_t deviceId, std::uint16_t address, std::uint16_t length,
                                         std::uint8_t* buffer);
[[nodiscard]] std::uint32_t VReq_WriteMem(std::uint64_t deviceId, std::uint16_t address, std::uint16_t length,
                                          const std::uint8_t* buffer);
