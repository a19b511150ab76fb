#pragma once
// Record classes of the VXQ61 (chip id 17): I2S interfaces, codec settings, endpoint types,
// volume and mute registers. Numbers marked Be are stored most significant byte first.

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "image/DescFields.h"

inline constexpr std::array kI2S0Q61Fields{Be16("SampleRate"), Block("Data", 25)};
inline constexpr std::array kI2S0ChannelFields{Block("Data", 8)};
inline constexpr std::array kI2S1Q61Fields{Be16("SampleRate"), Block("Data", 13)};
inline constexpr std::array kI2S1ChannelFields{Block("Data", 4)};
inline constexpr std::array kCodec0SettingFields{Block("Head", 4), Block("Entries", 14 * 3), Be16("Tail")};
inline constexpr std::array kCodec1SettingFields{Block("Head", 4), Block("Entries", 6 * 3), Be16("Tail")};
inline constexpr std::array kEndPointTypeFields{Be16("Value0"), Be16("Value1"), Be16("Value2"),
                                                Be16("Value3"), Be16("Value4"), Be16("Value5"),
                                                Be16("Value6"), Be16("Value7")};
inline constexpr std::array kVolume12Fields{
    Be32("EPAL0RegRd"), Be32("EPAL0RegWr"), Be32("EPAL0RegMask"), Be32("EPAR0RegRd"),
    Be32("EPAR0RegWr"), Be32("EPAR0RegMask"), Be32("EPAL1RegRd"), Be32("EPAL1RegWr"),
    Be32("EPAL1RegMask"), Be32("EPAR1RegRd"), Be32("EPAR1RegWr"), Be32("EPAR1RegMask"),
    Be16("VolumeMax", 0x7F00), Be16("VolumeMin", 0x8100), Be16("VolumeRes", 0x0100)};
inline constexpr std::array kVolume6Fields{
    Be32("L0RegRd"), Be32("L0RegWr"), Be32("L0RegMask"), Be32("R0RegRd"), Be32("R0RegWr"),
    Be32("R0RegMask"), Be16("VolumeMax", 0x7F00), Be16("VolumeMin", 0x8100), Be16("VolumeRes", 0x0100)};
inline constexpr std::array kMute9Fields{Be32("Mute0Rd"), Be32("Mute0Wr"), Be32("Mute0Mask"),
                                         Be32("Mute1Rd"), Be32("Mute1Wr"), Be32("Mute1Mask"),
                                         Be32("Mute2Rd"), Be32("Mute2Wr"), Be32("Mute2Mask")};
inline constexpr std::array kMute6Fields{Be32("Mute0Rd"), Be32("Mute0Wr"), Be32("Mute0Mask"),
                                         Be32("Mute1Rd"), Be32("Mute1Wr"), Be32("Mute1Mask")};

using CDescI2S0_Q61 = CDescFixed<8, kI2S0Q61Fields>;
using CDescI2S0Channel = CDescFixed<9, kI2S0ChannelFields>;
using CDescI2S1_Q61 = CDescFixed<10, kI2S1Q61Fields>;
using CDescI2S1Channel = CDescFixed<11, kI2S1ChannelFields>;
using CDescI2SCodec0Setting = CDescFixed<12, kCodec0SettingFields>;
using CDescI2SCodec1Setting = CDescFixed<16, kCodec1SettingFields>;
using CDescEndPointType = CDescFixed<47, kEndPointTypeFields>;
using CDescI2SEPAVolumeSetting = CDescFixed<48, kVolume12Fields>;
using CDescI2SEPGVolumeSetting = CDescFixed<52, kVolume12Fields>;
using CDescI2SEPBVolumeSetting = CDescFixed<49, kVolume6Fields>;
using CDescI2SEPCVolumeSetting = CDescFixed<50, kVolume6Fields>;
using CDescI2SEPDVolumeSetting = CDescFixed<51, kVolume6Fields>;
using CDescI2SEPHVolumeSetting = CDescFixed<53, kVolume6Fields>;
using CDescI2SEPIVolumeSetting = CDescFixed<54, kVolume6Fields>;
using CDescI2SEPJVolumeSetting = CDescFixed<55, kVolume6Fields>;
using CDescI2SCodec0InMuteSetting = CDescFixed<56, kMute9Fields>;
using CDescI2SCodec0OutMuteSetting = CDescFixed<57, kMute9Fields>;
using CDescI2SCodec1MuteSetting = CDescFixed<58, kMute6Fields>;

// Codec register sequences (types 27-33): data bytes then a big-endian delay, in the ten-bit
// header form (records up to 1023 bytes).
class CDescI2SCodecSetting : public CDescriptor {
 public:
  static constexpr std::uint16_t kDefaultDelay = 100;
  explicit CDescI2SCodecSetting(std::uint8_t recordType) : CDescriptor(recordType) {}
  int Parse(std::span<const std::uint8_t> record) override;
  int Build(std::span<std::uint8_t> out) override;

  std::vector<std::uint8_t> data;
  std::uint16_t delay = kDefaultDelay;
};

template <std::uint8_t Type>
class CDescI2SCodecSettingOf : public CDescI2SCodecSetting {
 public:
  CDescI2SCodecSettingOf() : CDescI2SCodecSetting(Type) {}
};

using CDescI2SCodecCommonSetting = CDescI2SCodecSettingOf<27>;
using CDescI2SCodecStartInSetting = CDescI2SCodecSettingOf<28>;
using CDescI2SCodecCloseInSetting = CDescI2SCodecSettingOf<29>;
using CDescI2SCodecStartOutSetting = CDescI2SCodecSettingOf<30>;
using CDescI2SCodecCloseOutSetting = CDescI2SCodecSettingOf<31>;
using CDescI2SCodecCloseAllSetting = CDescI2SCodecSettingOf<32>;
using CDescI2SCodecSuspendSetting = CDescI2SCodecSettingOf<33>;
