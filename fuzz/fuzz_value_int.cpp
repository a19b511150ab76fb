// The integer conversion of stored values, checked against a plain reference.
#include <cstddef>
#include <cstdint>
#include <cerrno>
#include <cstdlib>
#include <string>

#include "app/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CIniFile ini;
  ini.SetValue("S", "k", text, true);
  const std::uint32_t got = static_cast<std::uint32_t>(ini.GetValueInt(0, "S", "k"));
  if (got != ParseUnsigned32AutoBase(text)) std::abort();
  // strtoul on a 64-bit long sees the same digits; within 32 bits both agree.
  if (text.find('\0') == std::string::npos) {
    char* end = nullptr;
    errno = 0;
    const unsigned long long wide = std::strtoull(text.c_str(), &end, 0);
    const bool negative = text.find('-') != std::string::npos &&
                          text.find_first_not_of(" \t\n\v\f\r") == text.find('-');
    if (errno == 0 && !negative && wide <= 0xFFFFFFFFull && got != wide) std::abort();
  }
  return 0;
}
