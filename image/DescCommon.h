#pragma once
// Record classes used on every chip: VID/PID and the leading records that follow the area
// header (HWAPVersion, EEPInfo, BankCopyInfo, ForceUpdateInfo).

#include <array>
#include <cstdint>

#include "image/DescFields.h"

inline constexpr std::array kVidPidFields{Le16("VID"), Le16("PID"), Le16("Release")};
inline constexpr std::array kHwapVersionFields{Le16("ModelCode"), Le16("SecondValue")};
inline constexpr std::array kOneByteFields{U8("Value")};

using CDescVIDPID = CDescFixed<4, kVidPidFields>;
using CDescHWAPVersion = CDescFixed<47, kHwapVersionFields>;
using CDescEEPInfo = CDescFixed<8, kOneByteFields>;
using CDescBankCopyInfo = CDescFixed<20, kOneByteFields>;
using CDescForceUpdateInfo = CDescFixed<21, kOneByteFields>;

inline constexpr std::uint8_t kLeadingHwapLength = 6;
inline constexpr std::uint8_t kLeadingByteLength = 3;
inline constexpr std::uint16_t kDefaultHwapSecondValue = 0x1060;
inline constexpr std::uint8_t kBankCopyFlagZ = 0x5A;

// Chips whose areas carry a BankCopyInfo record.
[[nodiscard]] constexpr bool HasBankCopyInfo(std::uint8_t chipId) { return chipId == 25 || chipId == 26; }

// The HWAPVersion model code the tool writes for a chip id: one code for each of the chip ids
// 17 and 21-31, 0 for any other.
[[nodiscard]] constexpr std::uint16_t HwapModelCode(std::uint8_t chipId) {
  if (chipId == 17 || (chipId >= 21 && chipId <= 31)) return static_cast<std::uint16_t>(0x6100 + chipId);
  return 0;
}
