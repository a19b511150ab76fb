#pragma once
// An INI store that also remembers which chip it matched.

#include <cstdint>

#include "app/IniFile.h"

class CUserIni : public CIniFile {
 public:
  std::uint8_t chipInfo = 0;      // "ChipInfo" of the matched register section
  std::uint8_t register1 = 0xFF;  // the matched "ICRegister1"
  std::uint8_t register2 = 0xFF;  // the matched "ICRegister2"
};
