#include "tools/lumatrace-emu/JsonText.h"

#include <cstdio>

namespace emu {

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char ch : text) {
    if (ch == '"' || ch == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(ch));
    } else if (ch < 0x20 || ch >= 0x7F) {
      // Control characters escaped; bytes above ASCII read as Latin-1.
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", ch);
      out += esc;
    } else {
      out.push_back(static_cast<char>(ch));
    }
  }
  out.push_back('"');
  return out;
}

}  // namespace emu
