#pragma once
// An in-memory INI store. It holds the program's configuration and the IC type definitions.
//
// Parsing rules, in short: nothing is trimmed (spaces around "=" belong to the name or the
// value); the first of ";", "#", "[", "=" on a line decides what the line is; a line whose first
// byte is not printable ASCII stops the parse; lookups compare ASCII-lower-cased names and the
// first match wins; a repeated section header adds a second section that lookups never reach.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct IniSection {
  std::vector<std::string> valueNames;
  std::vector<std::string> values;  // values[j] belongs to valueNames[j]
  std::vector<std::string> comments;
};

class CIniFile {
 public:
  // Longest line, in bytes, that the parser accepts. A longer line is skipped with a message:
  // cutting it would silently store a different name or value.
  static constexpr std::size_t kMaxLineBytes = 259;

  explicit CIniFile(std::string path = {});
  virtual ~CIniFile();
  CIniFile(const CIniFile&) = default;
  CIniFile& operator=(const CIniFile&) = default;

  void SetPath(std::string path);
  [[nodiscard]] const std::string& Path() const { return path_; }

  // Parses the file at Path(). True when at least one section exists afterwards; false also
  // when the file cannot be opened (the store is then unchanged).
  bool ReadFromFile();
  // Parses a whole INI text. True when at least one section exists afterwards.
  bool ReadFromText(std::string_view text);
  void Clear();

  // Indices are 0-based; -1 means not found.
  [[nodiscard]] int FindSection(std::string_view section) const;
  [[nodiscard]] int FindValue(int sectionIndex, std::string_view name) const;
  int AddSection(std::string_view section);

  bool SetValue(std::string_view section, std::string_view name, std::string_view value, bool create);
  [[nodiscard]] std::string GetValue(std::string_view section, std::string_view name,
                                     std::string_view defaultValue) const;
  [[nodiscard]] std::string GetValue(int sectionIndex, std::string_view name,
                                     std::string_view defaultValue) const;
  // The value converted as a C unsigned 32-bit number with automatic base ("0x" hex, leading 0
  // octal), taken as signed; the default goes through the same conversion.
  [[nodiscard]] std::int32_t GetValueInt(std::int32_t defaultValue, std::string_view section,
                                         std::string_view name) const;
  [[nodiscard]] std::int32_t GetValueInt(int sectionIndex, std::int32_t defaultValue,
                                         std::string_view name) const;

  bool AddSectionComment(std::string_view section, std::string_view comment);
  void AddHeaderComment(std::string_view comment);

  [[nodiscard]] const std::vector<std::string>& SectionNames() const { return sectionNames_; }
  [[nodiscard]] const std::vector<IniSection>& Sections() const { return sections_; }
  [[nodiscard]] const std::vector<std::string>& HeaderComments() const { return headerComments_; }

  bool allowDuplicateValues = false;
  bool caseInsensitive = true;

 private:
  // Parses one line; false stops the parse.
  bool ParseLine(std::string_view line, std::string& currentSection);
  [[nodiscard]] bool NamesEqual(std::string_view a, std::string_view b) const;

  std::string path_;
  std::vector<IniSection> sections_;
  std::vector<std::string> sectionNames_;
  std::vector<std::string> headerComments_;
};

// strtoul with base 0 on a 32-bit unsigned long: leading white space skipped, optional sign,
// "0x"/"0X" hex, leading "0" octal, stops at the first character that does not fit, overflow
// gives 0xFFFFFFFF, "-" negates.
[[nodiscard]] std::uint32_t ParseUnsigned32AutoBase(std::string_view text);
