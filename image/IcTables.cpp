#include "image/IcTables.h"

#include <array>

namespace {

constexpr std::array kMemoryTypeWords{
    WordCode{"FLASH", kMemorySerialFlash}, WordCode{"EEPROM8", kMemoryEeprom8},
    WordCode{"EEPROM16", kMemoryEeprom16}, WordCode{"MTP", kMemoryMtp}, WordCode{"OTP", kMemoryOtp}};

constexpr std::array kBusWords{WordCode{"USB", 0}, WordCode{"PCIE", 1}, WordCode{"MIPI", 2}};

constexpr std::array kDefaultImages{
    NamedResource{"FFU_Q61", 3012},        NamedResource{"FFU_Q62", 3018},
    NamedResource{"FFU_Q64", 3020},        NamedResource{"FFU_Q65", 3023},
    NamedResource{"FFU_282B_001F", 3021},  NamedResource{"FFU_282B_0033", 3022},
    NamedResource{"FFU_17AA_1046H", 3037}, NamedResource{"FFU_17AA_1046L", 3036},
    NamedResource{"FFU_17AA_104D", 3038},  NamedResource{"FFU_3C5E_4C15", 3039}};

constexpr std::array kBuiltIn{NamedResource{"VXQ61", 2030}, NamedResource{"VXQ62", 2031},
                              NamedResource{"VXQ64", 2032}, NamedResource{"VXQ65", 2033}};

}  // namespace

std::span<const WordCode> MemoryTypeWords() { return kMemoryTypeWords; }
std::span<const WordCode> BusWords() { return kBusWords; }
std::span<const NamedResource> DefaultImages() { return kDefaultImages; }
std::span<const NamedResource> BuiltInDefinitions() { return kBuiltIn; }

std::optional<std::uint8_t> LookupBusWord(std::string_view word) {
  for (const WordCode& entry : kBusWords) {
    if (entry.word == word) return entry.code;
  }
  return std::nullopt;
}

std::optional<std::uint8_t> LookupMemoryTypeWord(std::string_view word) {
  for (const WordCode& entry : MemoryTypeWords()) {
    if (entry.word == word) return entry.code;
  }
  return std::nullopt;
}

std::optional<int> LookupDefaultImage(std::string_view name) {
  for (const NamedResource& entry : kDefaultImages) {
    if (entry.name == name) return entry.id;
  }
  return std::nullopt;
}
