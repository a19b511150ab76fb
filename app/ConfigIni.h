#pragma once
// The global configuration store: filled once at start-up from the configuration text carried
// inside the program (resource "ICINI" 3032), read everywhere through GetConfigInt with an
// explicit default. Nothing is ever written back to disk.
//
// Beyond the embedded text, the environment variable LUMATRACE_CONFIG may name an INI file whose
// text replaces it (for stations and tests); when that file cannot be read the embedded text is
// used and a message says so on stderr.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/IniFile.h"

inline constexpr const char* kConfigSection = "Lumatrace Config";
inline constexpr int kConfigTextResourceId = 3032;

class CConfigIni {
 public:
  virtual ~CConfigIni() = default;
  // Creates the global store when absent, clears the read-only attribute of "config.ini" beside
  // the executable (its content is ignored) and parses the configuration text into the store.
  void LoadConfig();
  // Copies resource "ICINI" 3032 into the default text; false when it is missing or empty.
  bool LoadDefaultText();

  [[nodiscard]] const std::string& DefaultText() const { return defaultText_; }

 private:
  std::string defaultText_;
};

// The global store; null before LoadConfig and after DeleteConfigStore.
[[nodiscard]] CIniFile* ConfigStore();
void DeleteConfigStore();

// Integer value of key in section, or defaultValue when absent. Safe to call from any thread.
[[nodiscard]] std::int32_t GetConfigInt(std::int32_t defaultValue, std::string_view section,
                                        std::string_view key);
// Text value of key in section, or defaultValue when absent.
[[nodiscard]] std::string GetConfigString(std::string_view defaultValue, std::string_view section,
                                          std::string_view key);
// Stores value ("%d") in memory only.
void SetConfigInt(std::string_view section, std::string_view key, std::int32_t value);
