#include "app/RunMode.h"

#include "app/Utf8.h"

std::string ArgumentText(const std::vector<std::string>& arguments) {
  std::string text;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (i > 1) text += ' ';
    const std::string& a = arguments[i];
    if (a.empty() || a.find_first_of(" \t\"") != std::string::npos) {
      text += '"';
      for (char c : a) {
        if (c == '"') text += '\\';
        text += c;
      }
      text += '"';
    } else {
      text += a;
    }
  }
  return text;
}

bool IsCommandLineRun(std::string_view argumentText) {
  return !argumentText.empty() && !EqualsIgnoreAsciiCase(argumentText, "/forcerestart");
}
