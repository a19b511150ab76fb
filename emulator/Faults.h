#pragma once
// Faults a test arms on one device. Transfer numbers count from the moment the plan is armed
// (1 = the next transfer to the device).

#include <cstdint>
#include <optional>
#include <vector>

namespace vcodec {

struct StuckBit {
  std::uint32_t address = 0;
  std::uint8_t mask = 0;  // bits that stay 1 whatever is programmed
};

struct Faults {
  std::uint64_t failTransfer = 0;     // that transfer is lost: the host sees a time-out
  std::uint64_t stallTransfer = 0;    // that transfer is stalled (refused)
  std::uint64_t removeAtTransfer = 0; // the device leaves the bus at that transfer, for good
  std::optional<std::uint8_t> stallRequest;   // every transfer with this bRequest stalls
  std::optional<std::uint16_t> stallValue;    // ... and this wValue, when given
  bool busyForever = false;           // the flash status register never leaves busy
  bool eraseFails = false;            // flash erases report a hardware error
  std::uint32_t slowReturnMs = 0;     // extra time off the bus after every reset
  std::uint32_t notReadyMs = 0;       // after each arrival the device is "not ready" this long
  bool returnOnCompanion = false;     // comes back on the companion port (needs a companion)
  std::vector<StuckBit> stuckBits;    // bits that refuse to program (at most 8); EEPROM bits keep their value
  std::vector<std::uint16_t> otpFailAddresses;  // OTP cells that refuse to program (at most 16)
  bool otpLocked = false;             // blows the OTP lock fuse
  // A garbled program-fail report: it names this address in place of the first failed cell.
  std::optional<std::uint16_t> otpReportAddress;
};

}  // namespace vcodec
