#pragma once
// Serial-number stamping: before an image is written, its serial-number string record (type 3)
// is replaced or added and the configuration area is rebuilt in place.

#include <cstdint>
#include <string>
#include <vector>

class CICTypeIni;
class CMpConfig;

class CEepromConfigInfo {
 public:
  static constexpr std::size_t kMaxSerialBytes = 48;

  // record: the flow's image record (serial-number text in, areaLength16 out).
  // ic: the current IC definition ("ConfigAddress", "ConfigSize", "TagAddress").
  CEepromConfigInfo(CMpConfig& record, const CICTypeIni& ic) : record_(record), ic_(ic) {}

  // With "SaveSN" set: widens OTP images to "ConfigSize", stamps the serial number, cuts OTP
  // images to the rebuilt area. On failure outStatus is 41713 and the image is unchanged.
  bool PreActionForAllInOne(std::vector<std::uint8_t>& image, int& outStatus);

  // Variant A ("SN Address" 0) or B (nonzero: "SN Function" puts 0x07 in front of the text).
  // Fails, leaving the image unchanged, for an image shorter than "ConfigAddress" + "ConfigSize",
  // an image without an area at "ConfigAddress", a text over 48 bytes, a corrupt area or a
  // rebuilt area that does not leave 128 bytes free in "ConfigSize".
  bool StampSerialNumber(std::vector<std::uint8_t>& image, const std::string& text, bool variantB);

 private:
  CMpConfig& record_;
  const CICTypeIni& ic_;
};
