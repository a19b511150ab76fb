#include "image/AnsiText.h"

#include <cstdint>

std::string Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<std::uint8_t>(utf8[i]);
    std::size_t extra = 0;
    std::uint32_t cp = c;
    if (c >= 0xF0) {
      extra = 3;
      cp = c & 0x07u;
    } else if (c >= 0xE0) {
      extra = 2;
      cp = c & 0x0Fu;
    } else if (c >= 0xC0) {
      extra = 1;
      cp = c & 0x1Fu;
    } else if (c >= 0x80) {
      cp = '?';  // a stray continuation byte
    }
    std::size_t j = 1;
    for (; j <= extra && i + j < utf8.size(); ++j) {
      const auto cont = static_cast<std::uint8_t>(utf8[i + j]);
      if ((cont & 0xC0) != 0x80) break;
      cp = (cp << 6) | (cont & 0x3Fu);
    }
    if (j <= extra) cp = '?';  // cut sequence
    out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
    i += j;
  }
  return out;
}

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  for (char ch : ansi) {
    const auto c = static_cast<std::uint8_t>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}
