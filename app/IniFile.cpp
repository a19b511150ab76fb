#include "app/IniFile.h"

#include <cstdio>
#include <fstream>

#include "app/Utf8.h"

CIniFile::CIniFile(std::string path) : path_(std::move(path)) {}

CIniFile::~CIniFile() = default;

void CIniFile::SetPath(std::string path) { path_ = std::move(path); }

void CIniFile::Clear() {
  sections_.clear();
  sectionNames_.clear();
  headerComments_.clear();
}

bool CIniFile::NamesEqual(std::string_view a, std::string_view b) const {
  return caseInsensitive ? EqualsIgnoreAsciiCase(a, b) : a == b;
}

bool CIniFile::ParseLine(std::string_view line, std::string& currentSection) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.empty()) return true;
  if (line.size() > kMaxLineBytes) {
    std::printf("Skipping a line of %zu bytes (longer than %zu)\n", line.size(), kMaxLineBytes);
    return true;
  }
  const unsigned char first = static_cast<unsigned char>(line[0]);
  if (first < 0x20 || first > 0x7E) {
    std::printf("Failing on char %d\n", static_cast<int>(static_cast<signed char>(first)));
    return false;
  }
  const std::size_t pos = line.find_first_of(";#[=");
  if (pos == std::string_view::npos) {
    SetValue(currentSection, line, "", true);
    return true;
  }
  switch (line[pos]) {
    case '[': {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos && close > pos) {
        currentSection = std::string(line.substr(pos + 1, close - pos - 1));
        AddSection(currentSection);
      }
      break;
    }
    case '=':
      SetValue(currentSection, line.substr(0, pos), line.substr(pos + 1), true);
      break;
    default: {  // ';' or '#'
      const std::string_view comment = line.substr(pos + 1);
      if (sections_.empty()) {
        AddHeaderComment(comment);
      } else {
        AddSectionComment(currentSection, comment);
      }
      break;
    }
  }
  return true;
}

bool CIniFile::ReadFromFile() {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return false;
  std::string currentSection;
  std::string line;
  while (std::getline(in, line)) {
    if (!ParseLine(line, currentSection)) return false;
  }
  return !sections_.empty();
}

bool CIniFile::ReadFromText(std::string_view text) {
  std::string currentSection;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start && !ParseLine(text.substr(start, end - start), currentSection)) return false;
    start = end + 1;
  }
  return !sections_.empty();
}

int CIniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < sectionNames_.size(); ++i) {
    if (NamesEqual(sectionNames_[i], section)) return static_cast<int>(i);
  }
  return -1;
}

int CIniFile::FindValue(int sectionIndex, std::string_view name) const {
  if (sectionIndex < 0 || static_cast<std::size_t>(sectionIndex) >= sections_.size()) return -1;
  const IniSection& s = sections_[static_cast<std::size_t>(sectionIndex)];
  for (std::size_t j = 0; j < s.valueNames.size(); ++j) {
    if (NamesEqual(s.valueNames[j], name)) return static_cast<int>(j);
  }
  return -1;
}

int CIniFile::AddSection(std::string_view section) {
  sections_.emplace_back();
  sectionNames_.emplace_back(section);
  return static_cast<int>(sections_.size()) - 1;
}

bool CIniFile::SetValue(std::string_view section, std::string_view name, std::string_view value,
                        bool create) {
  int i = FindSection(section);
  if (i == -1) {
    if (!create) return false;
    i = AddSection(section);
  }
  IniSection& s = sections_[static_cast<std::size_t>(i)];
  const int j = FindValue(i, name);
  if (j != -1 && !allowDuplicateValues) {
    s.values[static_cast<std::size_t>(j)] = std::string(value);
    return true;
  }
  if ((j == -1 && create) || allowDuplicateValues) {
    s.valueNames.emplace_back(name);
    s.values.emplace_back(value);
    return true;
  }
  return false;
}

std::string CIniFile::GetValue(int sectionIndex, std::string_view name,
                               std::string_view defaultValue) const {
  const int j = FindValue(sectionIndex, name);
  if (j == -1) return std::string(defaultValue);
  return sections_[static_cast<std::size_t>(sectionIndex)].values[static_cast<std::size_t>(j)];
}

std::string CIniFile::GetValue(std::string_view section, std::string_view name,
                               std::string_view defaultValue) const {
  return GetValue(FindSection(section), name, defaultValue);
}

std::int32_t CIniFile::GetValueInt(int sectionIndex, std::int32_t defaultValue,
                                   std::string_view name) const {
  char formatted[2048];
  std::snprintf(formatted, sizeof formatted, "%d", defaultValue);
  return static_cast<std::int32_t>(ParseUnsigned32AutoBase(GetValue(sectionIndex, name, formatted)));
}

std::int32_t CIniFile::GetValueInt(std::int32_t defaultValue, std::string_view section,
                                   std::string_view name) const {
  return GetValueInt(FindSection(section), defaultValue, name);
}

bool CIniFile::AddSectionComment(std::string_view section, std::string_view comment) {
  const int i = FindSection(section);
  if (i == -1) return false;
  sections_[static_cast<std::size_t>(i)].comments.emplace_back(comment);
  return true;
}

void CIniFile::AddHeaderComment(std::string_view comment) { headerComments_.emplace_back(comment); }

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  return 99;
}

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::uint32_t ParseUnsigned32AutoBase(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsCSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int base = 10;
  if (i < text.size() && text[i] == '0') {
    if (i + 2 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        DigitValue(text[i + 2]) < 16) {
      base = 16;
      i += 2;
    } else {
      base = 8;
    }
  }
  std::uint64_t value = 0;
  bool overflow = false;
  for (; i < text.size(); ++i) {
    const int d = DigitValue(text[i]);
    if (d >= base) break;
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(d);
    if (value > 0xFFFFFFFFu) {
      overflow = true;
      value = 0xFFFFFFFFu;
    }
  }
  if (overflow) return 0xFFFFFFFFu;
  const auto v = static_cast<std::uint32_t>(value);
  return negative ? static_cast<std::uint32_t>(0u - v) : v;
}
