#pragma once
// What a virtual codec is made of: its model, chip-id bytes, boot memory, the command sets it
// answers and how its descriptors look. Fixed when the device is plugged in.

#include <cstdint>
#include <optional>
#include <string>

namespace vcodec {

enum class ChipModel : std::uint32_t { kVXQ61 = 0, kVXQ62 = 1, kVXQ64 = 2, kVXQ65 = 3 };

enum class MemoryKind : std::uint32_t { kFlash = 0, kEeprom8 = 1, kEeprom16 = 2, kOtp = 3 };

// Which command sets the chip offers. Only a device with both passes the host's probe.
// kLegacy: the extension unit plus the two legacy vendor requests (read byte 0x06, command 0x01).
enum class CommandSets : std::uint32_t { kBoth = 0, kExtUnit = 1, kVendor = 2, kLegacy = 3 };

// How the extension unit appears in the configuration descriptor.
enum class ExtUnitLayout : std::uint32_t {
  kNormal = 0,          // code 0x3C5E right after the AudioControl interface
  kAbsent = 1,          // no extension unit at all
  kOtherCode = 2,       // an extension unit with a foreign extension code
  kAfterStandard = 3,   // code 0x3C5E, but behind a standard descriptor
};

struct LatencyModel {
  std::uint32_t perTransferUs = 1000;   // one control transfer (setup, data, status)
  std::uint32_t chipEraseMs = 1500;
  std::uint32_t sectorEraseMs = 60;
  std::uint32_t pageProgramUs = 800;    // one 256-byte flash page, one EEPROM/OTP page
};

struct DeviceConfig {
  ChipModel model = ChipModel::kVXQ62;
  std::optional<std::uint16_t> chipId;    // b1·256 + b0 of 0xFE21/0xFE22; model default when unset
  MemoryKind memory = MemoryKind::kFlash;
  std::uint32_t memorySize = 0;            // 0: the memory kind's default size
  std::uint32_t port = 0;                  // hub port 1..7; 0: the first free one
  CommandSets commands = CommandSets::kBoth;
  std::uint32_t maxUnit = 64;              // largest data-control size the chip accepts: 8, 32, 64
  ExtUnitLayout extUnit = ExtUnitLayout::kNormal;
  std::uint16_t vid = 0x3C5E;              // identity the ROM code presents
  std::uint16_t pid = 0x4C15;
  std::uint16_t rev = 0x0000;
  std::uint8_t optionByte = 0x00;          // chip register 0xFEC7
  std::uint32_t resetDelayMs = 500;        // off the bus after a reset, until it is back
  bool hasCompanion = false;               // USB 3 port with a USB 2 companion
  bool flashProtected = true;              // flash status register and WP line set at power-up
  std::uint32_t srWriteMs = 15;            // busy time of a status-register write
  LatencyModel latency;
};

// Defaults and names per model.
[[nodiscard]] const char* ModelName(ChipModel model);
[[nodiscard]] std::optional<ChipModel> ParseModel(const std::string& name);
[[nodiscard]] std::uint16_t DefaultChipId(ChipModel model);
[[nodiscard]] const char* MemoryName(MemoryKind kind);  // "flash", "eeprom8", "eeprom16", "otp"
[[nodiscard]] std::optional<MemoryKind> ParseMemory(const std::string& name);
[[nodiscard]] std::uint32_t DefaultMemorySize(MemoryKind kind);
[[nodiscard]] bool ValidMemorySize(MemoryKind kind, std::uint32_t size);

// The chip-id rule the host applies: families with a boot-mode register.
[[nodiscard]] bool HasModeRegister(std::uint16_t chipId);

}  // namespace vcodec
