#pragma once
// The serial-flash memory object: the virtual operations bound to the flash flows.

#include <cstdint>
#include <string>

#include "flow/FlashFlow.h"

class CSPIFlashInfo_USB : public CMpFlow_Flash {
 public:
  [[nodiscard]] int LocateConfigArea(const std::vector<std::uint8_t>* buffer) override;
  [[nodiscard]] int ReadCode() override;
  [[nodiscard]] int EraseCode() override;
  [[nodiscard]] int Download() override { return FFU_Download(); }
  [[nodiscard]] int Silence_WriteBin(const std::string& path) override;
  [[nodiscard]] int Silence_WriteSNBin(const std::string& path, const std::string& serial) override;
  [[nodiscard]] int ReadToBinFile(const std::string& path) override { return ReadToFile(path, false); }
  [[nodiscard]] int Silence_VerifyBin(const std::string& path) override;
  [[nodiscard]] int ReadToHexFile(const std::string& path) override { return ReadToFile(path, true); }
  [[nodiscard]] int EraseCodeEx(int resetAfter) override;

  [[nodiscard]] int FFU_Download();

 private:
  // The write forms of the command line; alwaysFailOnLoad: a failed load never falls back.
  [[nodiscard]] int SilenceWrite(const std::string& path, bool alwaysFailOnLoad);
  // Keeps the chip's "P" record or its sector at 0x1F000 in the image, per product.
  void CarryDeviceData();
};
