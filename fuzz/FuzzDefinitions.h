#pragma once
// IC definitions the image fuzz targets choose from with their first input byte: the four
// built-in ones and one that places the area at offset 0 (OTP and small images).

#include <cstdint>
#include <memory>
#include <vector>

#include "image/ICTypeIni.h"
#include "platform/MessageBox.h"

inline const CICTypeIni& FuzzDefinition(std::uint8_t selector) {
  static const std::vector<std::unique_ptr<CICTypeIni>> definitions = [] {
    SetMessageBoxHandler([](const std::string&, const std::string&, MessageBoxButtons) { return MessageBoxAnswer::kOk; });
    std::vector<std::unique_ptr<CICTypeIni>> out;
    for (int i = 0; i < 4; ++i) {
      out.push_back(std::make_unique<CICTypeIni>(0));
      out.back()->SelectIcDefinition(i);
      out.back()->ReadIcHeader();
    }
    out.push_back(std::make_unique<CICTypeIni>(1));
    out.back()->ReadFromText(
        "[Lumatrace Config]\nIc Name=VXQ62\n[Vendor Info M1]\nConfigAddress=0\nConfigSize=0x4000\nTagAddress=0xEFFE\n");
    out.back()->ReadIcHeader();
    return out;
  }();
  return *definitions[selector % definitions.size()];
}
