// The INI parser on arbitrary text, then lookups and integer reads of what it stored.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "app/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
  (void)quiet;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CIniFile ini;
  ini.ReadFromText(text);
  for (std::size_t i = 0; i < ini.Sections().size(); ++i) {
    const IniSection& s = ini.Sections()[i];
    for (const std::string& name : s.valueNames) {
      (void)ini.GetValueInt(static_cast<int>(i), 0, name);
      (void)ini.GetValue(ini.SectionNames()[i], name, "");
    }
  }
  (void)ini.GetValueInt(10000, "Lumatrace Config", "EraseTimeOut");
  return 0;
}
