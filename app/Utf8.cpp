#include "app/Utf8.h"

namespace {
bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
}  // namespace

std::size_t Utf8PrefixBytes(std::string_view text, std::size_t maxChars) {
  std::size_t i = 0;
  std::size_t chars = 0;
  while (i < text.size() && chars < maxChars) {
    ++i;
    // A lead byte takes its continuation bytes along; a stray continuation byte stands alone.
    if (!IsContinuation(static_cast<unsigned char>(text[i - 1]))) {
      while (i < text.size() && IsContinuation(static_cast<unsigned char>(text[i]))) ++i;
    }
    ++chars;
  }
  return i;
}

std::size_t Utf8Length(std::string_view text) {
  std::size_t chars = 0;
  std::size_t i = 0;
  while (i < text.size()) {
    i += Utf8PrefixBytes(text.substr(i), 1);
    ++chars;
  }
  return chars;
}

void Utf8Truncate(std::string& text, std::size_t maxChars) {
  text.resize(Utf8PrefixBytes(text, maxChars));
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  return AsciiLower(a) == AsciiLower(b);
}
