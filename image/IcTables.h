#pragma once
// The fixed tables compiled into the tool: memory-type words, bus words, the embedded default
// images and the built-in IC definitions.

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

struct WordCode {
  std::string_view word;
  std::uint8_t code;
};

struct NamedResource {
  std::string_view name;
  int id;
};

// Memory-type codes, shared with the image header's boot memory code and the flows.
enum MemoryTypeCode : std::uint8_t {
  kMemorySerialFlash = 0,
  kMemoryEeprom8 = 2,
  kMemoryEeprom16 = 3,
  kMemoryMtp = 4,
  kMemoryOtp = 6,
};

[[nodiscard]] std::span<const WordCode> MemoryTypeWords();
[[nodiscard]] std::span<const WordCode> BusWords();
// "Def Bin" names and their "BINARY" resource ids.
[[nodiscard]] std::span<const NamedResource> DefaultImages();
// Model names and their "ICINI" resource ids, in the order definitions are tried.
[[nodiscard]] std::span<const NamedResource> BuiltInDefinitions();

// Exact, case-sensitive lookups.
[[nodiscard]] std::optional<std::uint8_t> LookupBusWord(std::string_view word);
[[nodiscard]] std::optional<std::uint8_t> LookupMemoryTypeWord(std::string_view word);
[[nodiscard]] std::optional<int> LookupDefaultImage(std::string_view name);

inline constexpr int kVidPidListResourceId = 3034;
inline constexpr int kFallbackDefinitionId = 2030;
