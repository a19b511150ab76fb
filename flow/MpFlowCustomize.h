#pragma once
// The OTP tables as the device holds them: reading the VD and ECC tables, programming table
// bytes with the program-fail report checked, and the queries every OTP operation shares
// (last block, free entries, active block of a part, last valid entry).

#include <cstdint>
#include <optional>

#include "flow/MpFlow4.h"
#include "flow/OtpLayout.h"

// Outcome of programming table bytes.
enum class OtpProgram { kDone, kCellsFailed, kCommandFailed };

// A block of the VD table: its entry, address and length.
struct OtpBlock {
  int entry = -1;
  std::uint16_t address = 0;
  std::uint16_t length = 0;
};

class CMpFlow_Customize : public CMpFlow4 {
 public:
  // The entry at entryAddress is usable unless an ECC record, whatever its marker, points into
  // its five bytes (such a record would rewrite the entry at boot). False also when a read failed.
  [[nodiscard]] bool MP_OTPBlockValid(std::uint32_t entryAddress);
  // 15 - k for the highest entry k in use, 16 when none is; null when the table read failed.
  [[nodiscard]] std::optional<int> MP_OTPGetFreeVDNum();
  // The highest entry k with a non-zero flag that MP_OTPBlockValid accepts; 0 when none.
  [[nodiscard]] int MP_OTPFindLastValidEntry();

 protected:
  [[nodiscard]] bool ReadVdTable(OtpVdTable* table);
  [[nodiscard]] bool ReadEccTable(OtpEccTable* table);
  // The last block written (superseded ones and consumed space included): of the entries in use
  // that hold a block of the data area and no ECC record points into, the one ending last (the
  // highest one in an intact table). Address and length come from that one entry; {} when there
  // is none; null when a read failed.
  [[nodiscard]] std::optional<OtpBlock> OtpLastBlock();
  // The current block of a part (flag 0x55 code, 0xAA configuration), address and length from
  // the same entry; entry -1 when the part has none; null when a read failed.
  [[nodiscard]] std::optional<OtpBlock> OtpActiveBlock(std::uint8_t flag);
  // Writes table bytes (mode 8), then reads the program-fail report.
  [[nodiscard]] OtpProgram OtpProgramTable(std::uint32_t address, const std::uint8_t* bytes, std::uint16_t length);
  // Reads length bytes at address and writes their complement: every bit becomes 1.
  [[nodiscard]] OtpProgram OtpInvalidate(std::uint32_t address, std::uint16_t length);
  // Count of the report, clamped to the addresses it can hold in *addresses; null when the
  // report could not be read.
  [[nodiscard]] std::optional<int> OtpFailReport(std::uint16_t (&addresses)[kOtpReportAddresses], int* listed);

 private:
  // Whether any record of table points into the five bytes at entryAddress.
  [[nodiscard]] static bool RecordPointsInto(const OtpEccTable& table, std::uint32_t entryAddress);
};
