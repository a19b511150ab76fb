#include "image/DescQ62.h"

namespace {
constexpr std::size_t kU2PhySensitivityAt = 6;  // payload offset
constexpr std::size_t kGBtnDetectWinCtlAt = 6;
}  // namespace

void CDescUACTop::AdjustForBuild(std::vector<std::uint8_t>& payload) const {
  std::uint8_t& v = payload[kU2PhySensitivityAt];
  if (v == 0) v = 1;
  if (v > 15) v = 15;
}

void CDescInterCodecInfo::AdjustForBuild(std::vector<std::uint8_t>& payload) const {
  std::uint8_t& v = payload[kGBtnDetectWinCtlAt];
  if (v < 2) v = 2;
  if (v >= 128) v = 127;
}
