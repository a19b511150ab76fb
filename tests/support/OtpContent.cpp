#include "tests/support/OtpContent.h"

#include <algorithm>
#include <cstdio>

namespace otp_content {

Blocks ExpectedBlocks(const std::vector<std::uint8_t>& image) {
  Blocks b;
  if (image.size() < 19) return b;
  const std::size_t total = image[3] | (image[4] << 8);
  const std::size_t n = image[17] | (image[18] << 8);
  if (15 + n > total || total > image.size()) return b;
  const auto chip = static_cast<std::uint8_t>(image[2] >> 3);
  auto header = [&](std::uint8_t part, std::size_t length) {
    std::vector<std::uint8_t> h(image.begin(), image.begin() + 15);
    h[2] = static_cast<std::uint8_t>(chip * 8 + part);
    h[3] = static_cast<std::uint8_t>(length & 0xFF);
    h[4] = static_cast<std::uint8_t>(length >> 8);
    return h;
  };
  b.code = header(3, 15 + n);
  b.code[5] = 3;
  b.code.insert(b.code.end(), image.begin() + 15, image.begin() + static_cast<std::ptrdiff_t>(15 + n));
  b.config = header(1, total - n);
  // The records the block holds: the area's, less the code record.
  b.config[5] = static_cast<std::uint8_t>(image[5] - 1);
  b.config.insert(b.config.end(), image.begin() + static_cast<std::ptrdiff_t>(15 + n),
                  image.begin() + static_cast<std::ptrdiff_t>(total));
  return b;
}

std::vector<Entry> EntriesInUse(const std::vector<std::uint8_t>& otp) {
  std::vector<Entry> out;
  if (otp.size() < kOtpBytes) return out;
  for (int k = 0; k < 16; ++k) {
    const std::uint8_t* e = &otp[kVdTable + 5 * k];
    if (e[4] == 0) continue;
    out.push_back({k, static_cast<std::size_t>((e[0] << 8) | e[1]), static_cast<std::size_t>((e[2] << 8) | e[3]), e[4]});
  }
  return out;
}

std::size_t LastBlockEnd(const std::vector<std::uint8_t>& otp) {
  std::size_t end = 0;
  for (const Entry& e : EntriesInUse(otp)) {
    if (e.address + e.length <= kDataEnd) end = std::max(end, e.address + e.length);
  }
  return end;
}

Current CurrentBlock(const std::vector<std::uint8_t>& raw, std::uint8_t flag) {
  if (raw.size() < kOtpBytes) return {};
  std::vector<std::uint8_t> otp = raw;
  for (int r = 0; r < 16; ++r) {
    const std::uint8_t* rec = &raw[kEccTable + 4 * r];
    const std::size_t address = (rec[0] << 8) | rec[1];
    if (rec[3] == 0x5A && address < kDataEnd) otp[address] = rec[2];
  }
  for (int k = 15; k >= 0; --k) {
    const std::uint8_t* e = &otp[kVdTable + 5 * k];
    if (e[4] != flag) continue;
    Current c;
    c.address = (e[0] << 8) | e[1];
    const std::size_t length = (e[2] << 8) | e[3];
    if (c.address + length > kDataEnd) return {};
    c.bytes.assign(otp.begin() + static_cast<std::ptrdiff_t>(c.address),
                   otp.begin() + static_cast<std::ptrdiff_t>(c.address + length));
    return c;
  }
  return {};
}

bool TablesConsistent(const std::vector<std::uint8_t>& otp, std::string* why) {
  char text[160];
  std::vector<Entry> entries = EntriesInUse(otp);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.address < b.address; });
  std::size_t end = 0;
  for (const Entry& e : entries) {
    const bool current = e.flag == 0x55 || e.flag == 0xAA;
    // An entry invalidated (whole, or as far as its cells took it) records no space.
    if (!current && e.address + e.length > kDataEnd) continue;
    if (e.address + e.length > kDataEnd || e.address < end) {
      std::snprintf(text, sizeof text, "entry %d (0x%zx, %zu bytes) overlaps or leaves the data area", e.index,
                    e.address, e.length);
      *why = text;
      return false;
    }
    end = e.address + e.length;
  }
  for (std::size_t a = end; a < kDataEnd && a < otp.size(); ++a) {
    if (otp[a] != 0) {
      std::snprintf(text, sizeof text, "programmed byte at 0x%zx behind the last block end 0x%zx", a, end);
      *why = text;
      return false;
    }
  }
  return true;
}

}  // namespace otp_content
