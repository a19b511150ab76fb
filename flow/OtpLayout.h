#pragma once
// The OTP memory map and the two tables the chip reads at boot: the VD table (16 block entries
// of 5 bytes) and the ECC table (16 repair records of 4 bytes). Unwritten bytes read 0x00 and
// programming only sets bits, so "invalidate" means: write the complement of what is there.

#include <array>
#include <cstdint>
#include <span>

inline constexpr std::uint32_t kOtpDataEnd = 0x3F60;  // code and configuration blocks below
inline constexpr std::uint32_t kOtpVdTable = 0x3F70;
inline constexpr std::uint32_t kOtpEccTable = 0x3FC0;
inline constexpr int kOtpVdEntries = 16;
inline constexpr int kOtpEccRecords = 16;
inline constexpr std::uint32_t kOtpVdEntryBytes = 5;
inline constexpr std::uint32_t kOtpEccRecordBytes = 4;
inline constexpr std::uint32_t kOtpVdTableBytes = kOtpVdEntries * kOtpVdEntryBytes;
inline constexpr std::uint32_t kOtpEccTableBytes = kOtpEccRecords * kOtpEccRecordBytes;
inline constexpr std::uint32_t kOtpChunkBytes = 4096;
inline constexpr std::uint32_t kOtpHeaderBytes = 15;
inline constexpr std::uint16_t kOtpTableMode = 8;  // OTP_Write mode of table bytes
inline constexpr std::uint16_t kOtpNoAddress = 0xFFFF;

// The lock fuse: bit 3 of this register set means nothing may be programmed.
inline constexpr std::uint32_t kOtpLockRegister = 0xFD0C;
inline constexpr std::uint8_t kOtpLockBit = 0x08;

// Program-fail report: count, then up to nine big-endian addresses.
inline constexpr std::uint16_t kOtpReportBytes = 19;
inline constexpr int kOtpReportAddresses = 9;

inline constexpr std::uint8_t kVdFlagCode = 0x55;
inline constexpr std::uint8_t kVdFlagConfig = 0xAA;
inline constexpr std::uint8_t kVdFlagRetired = 0xFF;
inline constexpr std::uint8_t kEccMarkerValid = 0x5A;
inline constexpr std::uint8_t kEccMarkerRetired = 0xFF;

// Repairs one block write may use: the ECC slots of the flow.
inline constexpr int kOtpEccSlots = 8;

[[nodiscard]] constexpr std::uint32_t VdEntryAddress(int k) { return kOtpVdTable + kOtpVdEntryBytes * static_cast<std::uint32_t>(k); }
// Records are numbered 1-16.
[[nodiscard]] constexpr std::uint32_t EccRecordAddress(int i) {
  return kOtpEccTable + kOtpEccRecordBytes * static_cast<std::uint32_t>(i - 1);
}

// One VD entry: address high, low, length high, low, flag.
struct VdEntry {
  std::uint16_t address = 0;
  std::uint16_t length = 0;
  std::uint8_t flag = 0;
  bool free = true;  // all five bytes 0x00

  [[nodiscard]] static VdEntry From(std::span<const std::uint8_t> b) {
    VdEntry e;
    e.address = static_cast<std::uint16_t>((b[0] << 8) | b[1]);
    e.length = static_cast<std::uint16_t>((b[2] << 8) | b[3]);
    e.flag = b[4];
    e.free = (b[0] | b[1] | b[2] | b[3] | b[4]) == 0;
    return e;
  }
  [[nodiscard]] bool InUse() const { return flag == kVdFlagCode || flag == kVdFlagConfig || flag == kVdFlagRetired; }
  // A block the data area can hold; anything else is no block whatever its flag says.
  [[nodiscard]] bool Fits() const { return std::uint32_t{address} + length <= kOtpDataEnd; }
};

// One ECC record: address high, low, value, marker.
struct EccRecord {
  std::uint16_t address = 0;
  std::uint8_t value = 0;
  std::uint8_t marker = 0;

  [[nodiscard]] static EccRecord From(std::span<const std::uint8_t> b) {
    return {static_cast<std::uint16_t>((b[0] << 8) | b[1]), b[2], b[3]};
  }
  [[nodiscard]] bool Valid() const { return marker == kEccMarkerValid; }
  // Known to need repair, value still to be written.
  [[nodiscard]] bool Reserved() const { return Valid() && value == 0; }
  [[nodiscard]] bool Free() const { return address == 0 && value == 0 && marker == 0; }
  // Whether the record names a byte of the VD entry at entryAddress (it would rewrite the entry
  // at boot).
  [[nodiscard]] bool PointsInto(std::uint32_t entryAddress) const {
    return address >= entryAddress && address < entryAddress + kOtpVdEntryBytes;
  }
};

using OtpVdTable = std::array<std::uint8_t, kOtpVdTableBytes>;
using OtpEccTable = std::array<std::uint8_t, kOtpEccTableBytes>;

[[nodiscard]] inline VdEntry EntryOf(const OtpVdTable& t, int k) {
  return VdEntry::From(std::span(t).subspan(kOtpVdEntryBytes * static_cast<std::size_t>(k), kOtpVdEntryBytes));
}
[[nodiscard]] inline EccRecord RecordOf(const OtpEccTable& t, int i) {
  return EccRecord::From(std::span(t).subspan(kOtpEccRecordBytes * static_cast<std::size_t>(i - 1), kOtpEccRecordBytes));
}
