#pragma once
// Texts inside the program are UTF-8; the configuration area stores one byte per character in
// the ANSI code page, taken here as Latin-1 (the characters a USB string descriptor of one byte
// per character can carry). Characters outside it become "?".

#include <string>
#include <string_view>

[[nodiscard]] std::string Utf8ToAnsi(std::string_view utf8);
[[nodiscard]] std::string AnsiToUtf8(std::string_view ansi);
