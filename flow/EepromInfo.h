#pragma once
// The EEPROM memory objects: the operations of both address widths (CEepromInfo) and the two
// objects that bind one width to the virtual operations.

#include <cstdint>
#include <string>

#include "flow/EepromFlow.h"

class CEepromInfo : public CMpFlow_Eeprom {
 public:
  [[nodiscard]] int EEU8_Download();
  [[nodiscard]] int EEU16_Download();
  [[nodiscard]] int EEU8_Silence_WriteBin(const std::string& path) { return SilenceWrite(path, EepromWidth::k8); }
  [[nodiscard]] int EEU16_Silence_WriteBin(const std::string& path) { return SilenceWrite(path, EepromWidth::k16); }
  // The serial argument is not used: serial numbers reach images through the pre-action.
  [[nodiscard]] int EEU8_Silence_WriteSNBin(const std::string& path, const std::string&) {
    return SilenceWrite(path, EepromWidth::k8);
  }
  [[nodiscard]] int EEU16_Silence_WriteSNBin(const std::string& path, const std::string&) {
    return SilenceWrite(path, EepromWidth::k16);
  }
  [[nodiscard]] int EEU8_Silence_VerifyBin(const std::string& path) { return SilenceVerify(path, EepromWidth::k8); }
  [[nodiscard]] int EEU16_Silence_VerifyBin(const std::string& path) { return SilenceVerify(path, EepromWidth::k16); }

 protected:
  // Read the whole EEPROM into readBack, reset into the new code, report.
  [[nodiscard]] int ReadEeprom(EepromWidth width);
  // The 16-bit form lifts the protection around the erase; the 8-bit form never touches it.
  [[nodiscard]] int EraseEeprom(EepromWidth width);

 private:
  // Load, locate the configuration area, match the chip information exactly, download.
  [[nodiscard]] int SilenceWrite(const std::string& path, EepromWidth width);
  // Load, read as many bytes as the image holds, compare (41709 without a post).
  [[nodiscard]] int SilenceVerify(const std::string& path, EepromWidth width);
  // The 8-bit update after the pre-action; protection is restored on every failed path.
  [[nodiscard]] int Eep8Update();
  // In the window with "SaveSN" set, a two-second pause the operator sees.
  static void CountDown();
  // UM_PROGRESS 100 and UM_SUCCESS 41854.
  static void ReportDownloaded();
};

class CEepromInfo8_USB : public CEepromInfo {
 public:
  [[nodiscard]] int LocateConfigArea(const std::vector<std::uint8_t>* buffer) override { return LocateConfigAreaOf(buffer); }
  [[nodiscard]] int ReadCode() override { return ReadEeprom(EepromWidth::k8); }
  [[nodiscard]] int EraseCode() override { return EraseEeprom(EepromWidth::k8); }
  [[nodiscard]] int Download() override { return EEU8_Download(); }
  [[nodiscard]] int Silence_WriteBin(const std::string& path) override { return EEU8_Silence_WriteBin(path); }
  [[nodiscard]] int Silence_WriteSNBin(const std::string& path, const std::string& serial) override {
    return EEU8_Silence_WriteSNBin(path, serial);
  }
  [[nodiscard]] int ReadToBinFile(const std::string& path) override { return ReadToFile(path, false); }
  [[nodiscard]] int Silence_VerifyBin(const std::string& path) override { return EEU8_Silence_VerifyBin(path); }
  [[nodiscard]] int ReadToHexFile(const std::string& path) override { return ReadToFile(path, true); }
  [[nodiscard]] int EraseCodeEx(int resetAfter) override {
    SetResetAfter(resetAfter);
    return EraseCode();
  }
};

class CEepromInfo16_USB : public CEepromInfo {
 public:
  [[nodiscard]] int LocateConfigArea(const std::vector<std::uint8_t>* buffer) override { return LocateConfigAreaOf(buffer); }
  [[nodiscard]] int ReadCode() override { return ReadEeprom(EepromWidth::k16); }
  [[nodiscard]] int EraseCode() override { return EraseEeprom(EepromWidth::k16); }
  [[nodiscard]] int Download() override { return EEU16_Download(); }
  [[nodiscard]] int Silence_WriteBin(const std::string& path) override { return EEU16_Silence_WriteBin(path); }
  [[nodiscard]] int Silence_WriteSNBin(const std::string& path, const std::string& serial) override {
    return EEU16_Silence_WriteSNBin(path, serial);
  }
  [[nodiscard]] int ReadToBinFile(const std::string& path) override { return ReadToFile(path, false); }
  [[nodiscard]] int Silence_VerifyBin(const std::string& path) override { return EEU16_Silence_VerifyBin(path); }
  [[nodiscard]] int ReadToHexFile(const std::string& path) override { return ReadToFile(path, true); }
  [[nodiscard]] int EraseCodeEx(int resetAfter) override {
    SetResetAfter(resetAfter);
    return EraseCode();
  }
};
