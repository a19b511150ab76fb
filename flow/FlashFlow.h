#pragma once
// The serial-flash update flows: the standard one (unprotect, erase, empty check, write,
// verify, tag, protect, reset into the new code) and the one for 16 KiB images that stand in
// for OTP on chips with a boot-mode register.

#include <cstdint>

#include "flow/DevFlow.h"

class CMpFlow_Flash : public CDevFlow {
 public:
  // 1 on success; on failure 0 with *errorId set (0 when the flow set none).
  [[nodiscard]] int FF_UpdateEx_Standard(std::uint8_t* image, std::uint32_t length, int* errorId);
  [[nodiscard]] int FF_UpdateEx_ForSimulateOTP(std::uint8_t* image, std::uint32_t length, int* errorId);
  // Chooses the flow; a failure restores the 8-byte data unit and the protection once more and
  // posts UM_ERROR with the flow's id (41512 when it set none).
  [[nodiscard]] int FF_Update(std::uint8_t* image, std::uint32_t length);

 protected:
  // Writes the image, reads it back and compares: null, or the failure's log line with *id set.
  [[nodiscard]] const char* WriteAndCompare(const std::uint8_t* image, std::uint32_t length, int* id);
  // The tag address of the IC type ("TagAddress"); the tag bytes are touched only where the
  // address plus 2 lies inside the image.
  [[nodiscard]] bool TagInside(std::uint32_t length, std::uint32_t* tagAddress) const;
};
