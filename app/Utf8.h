#pragma once
// Texts are UTF-8 inside the program; the program's character limits count characters, so a
// cut never splits a multi-byte sequence.

#include <cstddef>
#include <string>
#include <string_view>

// Number of characters (code points; a stray continuation byte counts as one).
[[nodiscard]] std::size_t Utf8Length(std::string_view text);

// Cuts text after maxChars characters.
void Utf8Truncate(std::string& text, std::size_t maxChars);

// Byte length of the first maxChars characters of text.
[[nodiscard]] std::size_t Utf8PrefixBytes(std::string_view text, std::size_t maxChars);

// ASCII-only lower-case copy (only A-Z change), as the INI store and option checks compare.
[[nodiscard]] std::string AsciiLower(std::string_view text);
[[nodiscard]] bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
