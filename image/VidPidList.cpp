#include "image/VidPidList.h"

#include <cctype>
#include <functional>
#include <string>

namespace {

std::string UpperTrimmed(std::string_view line) {
  std::size_t b = 0;
  std::size_t e = line.size();
  while (b < e && std::isspace(static_cast<unsigned char>(line[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(line[e - 1]))) --e;
  std::string out(line.substr(b, e - b));
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool Occurs(const std::string& line, std::string_view deviceId) {
  return !line.empty() && UpperTrimmed(deviceId).find(line) != std::string::npos;
}

// Calls take(line) for each piece between the given separators; stops when take returns true.
bool AnyLine(std::string_view text, std::string_view separators,
             const std::function<bool(std::string_view)>& take) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start && take(text.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

bool VidPidListAccepts(std::string_view listText, std::string_view deviceId) {
  return AnyLine(listText, "\r\n", [&](std::string_view piece) {
    std::string line = UpperTrimmed(piece);
    const std::size_t rev = line.find("REV");
    if (rev != std::string::npos) line.resize(rev == 0 ? 0 : rev - 1);
    return Occurs(line, deviceId);
  });
}

bool VidPidFileAccepts(std::string_view fileText, std::string_view deviceId) {
  return AnyLine(fileText, "\n", [&](std::string_view piece) {
    const std::string line = UpperTrimmed(piece);
    return line.find("REV") != std::string::npos && Occurs(line, deviceId);
  });
}
