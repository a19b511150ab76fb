#include "tools/imagegen/ImageDescription.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "image/BootMemory.h"
#include "image/IcTables.h"

namespace {

bool ParseNumber(const std::string& text, std::size_t limit, std::size_t& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (*end != '\0' || v > limit) return false;
  out = static_cast<std::size_t>(v);
  return true;
}

struct Model {
  const char* name;
  std::uint8_t chipId;
  std::size_t area;
  std::size_t capacity;
};
constexpr Model kModels[] = {{"VXQ61", 17, 0xAE00, 512}, {"VXQ62", 21, 0xF000, 4096},
                             {"VXQ64", 24, 0xF000, 4096}, {"VXQ65", 25, 0xF000, 4096}};

std::string Trim(const std::string& s) {
  const std::size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

}  // namespace

bool ImageDescription::Set(const std::string& key, const std::string& value, std::string& error) {
  std::size_t n = 0;
  const auto number = [&](std::size_t limit) {
    if (ParseNumber(value, limit, n)) return true;
    error = "bad value for " + key + ": " + value;
    return false;
  };
  constexpr std::pair<const char*, std::uint8_t> kStringKeys[] = {
      {"manufacturer", 1}, {"product", 2}, {"serial", 3}, {"ubist", 6}, {"iad", 7}};
  for (const auto& [k, type] : kStringKeys) {
    if (key == k) {
      strings.emplace_back(type, value);
      return true;
    }
  }
  if (key == "name") {
    name = value;
  } else if (key == "chip") {
    for (const Model& m : kModels) {
      if (value == m.name) {
        chipId = m.chipId;
        area = m.area;
        capacity = m.capacity;
        codeEnd = m.area;
        return true;
      }
    }
    if (!number(31)) return false;
    chipId = static_cast<std::uint8_t>(n);
  } else if (key == "memory") {
    for (const WordCode& w : MemoryTypeWords()) {
      std::string lower(w.word);
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (value == lower) {
        bootCode = *BootCodeOfMemoryType(w.code);
        return true;
      }
    }
    error = "bad value for memory: " + value;
    return false;
  } else if (key == "boot" || key == "eep" || key == "bankcopy" || key == "forceupdate") {
    if (!number(0xFF)) return false;
    const auto byte = static_cast<std::uint8_t>(n);
    if (key == "boot") bootCode = byte;
    if (key == "eep") eepInfo = byte;
    if (key == "bankcopy") bankCopyInfo = byte;
    if (key == "forceupdate") forceUpdateInfo = byte;
  } else if (key == "hwap") {
    if (!number(0xFFFF)) return false;
    hwapSecondValue = static_cast<std::uint16_t>(n);
  } else if (key == "size" || key == "area" || key == "capacity" || key == "code" || key == "tag" ||
             key == "cachecode" || key == "otpcode") {
    if (!number(0x10000000)) return false;
    if (key == "size") size = n;
    if (key == "area") area = n;
    if (key == "capacity") capacity = n;
    if (key == "code") codeEnd = n;
    if (key == "tag") tag = n;
    if (key == "cachecode") cacheCode = n;
    if (key == "otpcode") otpCode = n;
  } else if (key == "version") {
    version = value;
  } else if (key == "codeid") {
    codeId = value;
  } else if (key == "vidpid") {
    unsigned v[3] = {};
    char tail = 0;
    if (std::sscanf(value.c_str(), "%x,%x,%x%c", &v[0], &v[1], &v[2], &tail) != 3 || v[0] > 0xFFFF ||
        v[1] > 0xFFFF || v[2] > 0xFFFF) {
      error = "bad value for vidpid (VID,PID,REV in hexadecimal): " + value;
      return false;
    }
    vidPid = std::array<std::uint16_t, 3>{static_cast<std::uint16_t>(v[0]), static_cast<std::uint16_t>(v[1]),
                                          static_cast<std::uint16_t>(v[2])};
  } else {
    error = "unknown key: " + key;
    return false;
  }
  return true;
}

bool ImageDescription::Read(const std::string& text, std::string& error) {
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || !Set(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)), error)) {
      if (eq == std::string::npos) error = "expected key=value";
      error = "line " + std::to_string(number) + ": " + error;
      return false;
    }
  }
  return true;
}
