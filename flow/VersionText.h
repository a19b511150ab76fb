#pragma once
// The firmware version a chip reports, as text: from the 104-byte status record, or in ROM
// code with OTP or SPI boot from the 32-byte record of block 128.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

inline constexpr std::size_t kStatusRecordSize = 104;
inline constexpr std::size_t kRomVersionRecordSize = 32;

struct DeviceVersion {
  std::string text;     // m_strFwVer
  std::string compare;  // m_strCmpVer
  int kind = -1;        // 0, 1, 2 from the status record; -1 when the block-128 form was used
  std::array<std::uint16_t, 6> parts{};  // major, minor, build, ver1, ver2, ver3
};

// Mode bytes 0x10, 0x18 and 0x20 take the version from block 128.
[[nodiscard]] bool ModeUsesRomVersionRecord(std::uint8_t modeByte);

// status: the 104-byte record; romRecord: the 32 bytes of block 128 (used only for the modes
// above).
[[nodiscard]] DeviceVersion ComputeDeviceVersion(std::span<const std::uint8_t, kStatusRecordSize> status,
                                                 std::span<const std::uint8_t, kRomVersionRecordSize> romRecord,
                                                 std::uint8_t modeByte);

// The code type nibble of the status record: that of descriptor A, or of descriptor B when A's
// is 0 and B's is neither 0 nor 0x0B. Code type 1 means downloaded code runs.
[[nodiscard]] std::uint8_t StatusCodeType(std::span<const std::uint8_t, kStatusRecordSize> status);
