#pragma once
// Status codes the chip leaves in the extension unit's status block (byte 0).

#include <cstdint>

namespace vcodec {

inline constexpr std::uint8_t kStsCmd = 0x00;         // ready for a command
inline constexpr std::uint8_t kStsDataIn = 0x01;      // data phase to the host under way
inline constexpr std::uint8_t kStsDataOut = 0x02;     // data phase to the device under way
inline constexpr std::uint8_t kStsErrDir = 0x03;
inline constexpr std::uint8_t kStsNotFinish = 0x04;   // a command while a data phase is open
inline constexpr std::uint8_t kStsErrLen = 0x05;
inline constexpr std::uint8_t kStsUnknownScmd = 0x06; // unknown opcode within a known group
inline constexpr std::uint8_t kStsErrOutRange = 0x07;
inline constexpr std::uint8_t kStsUnknownCmd = 0x08;  // unknown group
inline constexpr std::uint8_t kStsHwErr = 0x09;
inline constexpr std::uint8_t kStsNoErr = 0xFE;       // last command completed

}  // namespace vcodec
