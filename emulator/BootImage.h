#pragma once
// What the chip's boot code finds in its boot memory: whether an image there is bootable and,
// when it is, the identity it presents (version block, VID/PID/REV, USB strings from the
// configuration area). Reads untrusted bytes: every access is bounds-checked.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/DeviceConfig.h"

namespace vcodec {

struct BootIdentity {
  std::optional<std::vector<std::uint8_t>> version;  // the 8-byte version block
  std::optional<std::uint16_t> vid, pid, rev;
  std::string manufacturer, product, serial;
};

struct BootRule {
  std::uint16_t chipId = 0;
  ChipModel model = ChipModel::kVXQ62;
};

// Serial flash: a configuration area at the model's address (0xAE00 for VXQ61, else 0xF000)
// boots when the chip has a boot-mode register or the tag 0x55 0xAA sits at 0xEFFE; an area at
// offset 0 carries its own boot header and always boots.
[[nodiscard]] std::optional<BootIdentity> BootFromFlash(const std::uint8_t* mem, std::size_t size,
                                                        const BootRule& rule);
// EEPROM: the tag byte 0xA5 at address 1 is the area's signature.
[[nodiscard]] std::optional<BootIdentity> BootFromEeprom(const std::uint8_t* mem, std::size_t size);
// OTP: the current code and configuration blocks of the VD table, ECC records applied.
[[nodiscard]] std::optional<BootIdentity> BootFromOtp(const std::uint8_t* mem, std::size_t size);

// The active blocks of an OTP, assembled as the image they came from (empty when none).
[[nodiscard]] std::vector<std::uint8_t> AssembleOtpImage(const std::uint8_t* mem, std::size_t size);

// Reads the configuration area at `offset` of an image of `size` bytes: strings and VID/PID.
// False when no area with the signature is there.
bool ReadConfigArea(const std::uint8_t* mem, std::size_t size, std::size_t offset,
                    BootIdentity* identity);

// Boot memory codes that name each memory in the area header.
[[nodiscard]] bool IsFlashBootCode(std::uint8_t code);

}  // namespace vcodec
