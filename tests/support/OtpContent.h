#pragma once
// What an OTP holds, worked out on its own terms for tests and fuzzing: the blocks a download
// of an image must leave current, the block the chip boots for each part (ECC records
// applied, read through the VD table), and whether the tables are consistent.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace otp_content {

inline constexpr std::size_t kDataEnd = 0x3F60;
inline constexpr std::size_t kVdTable = 0x3F70;
inline constexpr std::size_t kEccTable = 0x3FC0;
inline constexpr std::size_t kOtpBytes = 0x4000;

struct Blocks {
  std::vector<std::uint8_t> code, config;
};

// The 15 header bytes with part code and length, then the code record of n bytes at offset 15
// (the code block) or the configuration records behind it up to the area length (the
// configuration block, whose byte 5 counts the records it holds).
[[nodiscard]] Blocks ExpectedBlocks(const std::vector<std::uint8_t>& image);

struct Entry {
  int index;
  std::size_t address, length;
  std::uint8_t flag;
};
// Entries with a non-zero flag, in table order.
[[nodiscard]] std::vector<Entry> EntriesInUse(const std::vector<std::uint8_t>& otp);
// The end of the last block of the data area any entry records (0 for an empty table).
[[nodiscard]] std::size_t LastBlockEnd(const std::vector<std::uint8_t>& otp);

struct Current {
  std::size_t address = 0;
  std::vector<std::uint8_t> bytes;  // empty: the part has no current block
};
// The block the chip boots for a part (flag 0x55 code, 0xAA configuration): the highest entry
// with that flag, read with every valid ECC record applied.
[[nodiscard]] Current CurrentBlock(const std::vector<std::uint8_t>& otp, std::uint8_t flag);

// Current entries lie inside the data area; entries that record space do not overlap (those
// invalidated beyond the data area record none); nothing is programmed behind the last block
// end. False with the reason in *why.
[[nodiscard]] bool TablesConsistent(const std::vector<std::uint8_t>& otp, std::string* why);

}  // namespace otp_content
