#pragma once
// The OTP memory object: download (code part, then configuration part), read of the active
// blocks as one image, the command line's write, and the binding to the virtual operations.
// OTP has no erase, verify or hex dump.

#include <string>

#include "flow/OtpFlow.h"

class COTPConfigInfo : public CMpFlow_OTP {};

class COTPInfo : public COTPConfigInfo {
 public:
  [[nodiscard]] int OTP_ForNormalDownload();
  [[nodiscard]] int OTP_Download();
  // The active code and configuration blocks, ECC records applied, into readBack as one image.
  [[nodiscard]] int OTP_Read();
  [[nodiscard]] int Silence_OTPWriteBin(const std::string& path);
  // The serial argument is not used: serial numbers reach images through the pre-action.
  [[nodiscard]] int Silence_OTPWriteSNBin(const std::string& path, const std::string& serial);
};

class COTPInfo_USB : public COTPInfo {
 public:
  [[nodiscard]] int LocateConfigArea(const std::vector<std::uint8_t>* buffer) override { return LocateConfigAreaOf(buffer); }
  [[nodiscard]] int ReadCode() override { return OTP_Read(); }
  [[nodiscard]] int EraseCode() override { return 0; }
  [[nodiscard]] int Download() override { return OTP_Download(); }
  [[nodiscard]] int Silence_WriteBin(const std::string& path) override { return Silence_OTPWriteBin(path); }
  [[nodiscard]] int Silence_WriteSNBin(const std::string& path, const std::string& serial) override {
    return Silence_OTPWriteSNBin(path, serial);
  }
  [[nodiscard]] int ReadToBinFile(const std::string& path) override { return ReadToFile(path, false); }
  [[nodiscard]] int Silence_VerifyBin(const std::string&) override { return 0; }
  [[nodiscard]] int ReadToHexFile(const std::string&) override { return 0; }
  [[nodiscard]] int EraseCodeEx(int) override { return 0; }
};
