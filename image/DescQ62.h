#pragma once
// Record classes of the VXQ62 and VXQ64 (chip ids 21 and 24): self-loopback test, USB audio
// top settings, endpoint information, the internal codec, S/PDIF, UART and GPIO driving.
// Numbers marked Be are stored most significant byte first.

#include <array>
#include <cstdint>
#include <vector>

#include "image/DescFields.h"

inline constexpr std::array kSlbFields{U8("Flags"),      U8("bFSTstCnt"), Le32("dwHSTstCnt"),
                                       Le16("wHSFailTh"), U8("bFixPattern"), U8("bSeed"),
                                       U8("bFSFailTh"),  Le16("wHSDlyTime")};
inline constexpr std::array kUacTopFields{
    Be16("wUAVVersion"),     U8("byUSBSpeedMode"),   U8("byHIDEnable"), U8("byUAC2INInterval"),
    U8("byUAC2OUTInterval"), U8("byU2PhySensitivity"), U8("JackDetectFlags"),
    U8("RemoteWakeupFlags"), U8("EndpointEnableFlags"), Be16("wVID"), Be16("wPID"), Be16("wRevID")};
inline constexpr std::array kEpInFields{
    U8("byConnectType"), Be16("wSampleRate"), U8("byBitResolution"), Be16("wChLocation"),
    Be16("wTerminalType"), Be16("wVolumeMin"), Be16("wVolumeMax"), Be16("wVolumeRes"),
    U8("bySupportLoudness")};
inline constexpr std::array kEpOutFields{
    U8("byConnectType"), Be16("wSampleRate"), U8("byBitResolution"), Be16("wChLocation"),
    Be16("wTerminalType"), Be16("wVolumeMin"), Be16("wVolumeMax"), Be16("wVolumeRes")};
inline constexpr std::array kInterCodecFields{
    U8("bySSCSelect"),      U8("byJD1ConnectEP"),     U8("byJD2ConnectEP"), U8("byADStereoConType"),
    U8("byADMonoConType"),  U8("ButtonInterruptFlags"), U8("byGBtnDetectWinCtl"),
    U8("byGBtnClkDiv"),     U8("byGBtnDeglitchClkDiv"), U8("byJD3Ttime"), U8("byJD3Duty"),
    U8("byJD3DetectCnt")};
inline constexpr std::array kSpdifFields{U8("bySSCSelect"), U8("byDataFmt"), U8("byEmphasisofPro"),
                                         U8("byCopyRightofConsumer"), U8("byLevelofConsumer"),
                                         U8("byCategoryCodeofConsumer")};
inline constexpr std::array kUartFields{U8("bySSCSelect"), U8("byStopBitNum"), U8("byDataLen"),
                                        U8("ParityFlags"), Be32("dwBaudRate")};
inline constexpr std::array kGpioDrivingFields{
    U8("byGPIO0Driving"), U8("byGPIO1Driving"), U8("byGPIO2Driving"), U8("byGPIO3Driving"),
    U8("byGPIO4Driving"), U8("byGPIO5Driving"), U8("byGPIO6Driving"), U8("byGPIO7Driving"),
    U8("byGPIO8Driving"), U8("byGPIO9Driving")};

using CDescSLB = CDescFixed<14, kSlbFields>;
using CDescEPAInfo = CDescFixed<65, kEpInFields>;
using CDescEPBInfo = CDescFixed<66, kEpInFields>;
using CDescEPCInfo = CDescFixed<67, kEpInFields>;
using CDescEPGInfo = CDescFixed<68, kEpOutFields>;
using CDescEPHInfo = CDescFixed<69, kEpOutFields>;
using CDescEPIInfo = CDescFixed<70, kEpOutFields>;
using CDescInterSPDIFInfo = CDescFixed<72, kSpdifFields>;
using CDescInterUartInfo = CDescFixed<73, kUartFields>;
using CDescGPIODrivingInfo = CDescFixed<74, kGpioDrivingFields>;

// Writes byU2PhySensitivity as 1 when it is 0 and as 15 when it is above 15.
class CDescUACTop : public CDescFixed<64, kUacTopFields> {
 protected:
  void AdjustForBuild(std::vector<std::uint8_t>& payload) const override;
};

// Writes byGBtnDetectWinCtl as 2 when it is below 2 and as 127 when it is 128 or more.
class CDescInterCodecInfo : public CDescFixed<71, kInterCodecFields> {
 protected:
  void AdjustForBuild(std::vector<std::uint8_t>& payload) const override;
};
