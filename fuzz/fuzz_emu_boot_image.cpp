// The virtual codec's boot code on arbitrary boot-memory contents: flash (both boot rules),
// EEPROM and OTP (VD table and ECC records), and the configuration-area reader itself.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "emulator/BootImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The last byte picks where a configuration area is read from.
  const std::size_t offset = size > 0 ? data[size - 1] * 64u : 0;
  vcodec::BootIdentity id;
  (void)vcodec::ReadConfigArea(data, size, offset, &id);
  for (std::uint16_t chipId : {std::uint16_t{0x0000}, std::uint16_t{0xB010}}) {
    vcodec::BootRule rule;
    rule.chipId = chipId;
    (void)vcodec::BootFromFlash(data, size, rule);
  }
  (void)vcodec::BootFromEeprom(data, size);
  // OTP content is 16 KiB: place the input at its end so the tables are fuzzed.
  std::vector<std::uint8_t> otp(0x4000, 0);
  const std::size_t n = size < otp.size() ? size : otp.size();
  for (std::size_t i = 0; i < n; ++i) otp[otp.size() - n + i] = data[i];
  (void)vcodec::BootFromOtp(otp.data(), otp.size());
  (void)vcodec::BootFromOtp(data, size);
  return 0;
}
