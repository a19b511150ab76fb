#pragma once
// An IC type definition: where an image's configuration area lies, how big it may be, where the
// boot tag goes, which register values identify the chip, which embedded default image belongs
// to it and which bus it uses. The four built-in definitions are "ICINI" 2030-2033; with
// "Ini Type" 1 the "*.INI" files beside the executable are used instead.
//
// The tool keeps two of these: the current definition and one that only holds the VID/PID list.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/UserIni.h"

inline constexpr const char* kVendorInfoSection = "Vendor Info M1";

class CICTypeIni : public CUserIni {
 public:
  // iniType: "Ini Type" of the configuration (1: definition files beside the executable).
  explicit CICTypeIni(std::int32_t iniType);

  // The available definitions: "*.INI" files (upper case, "config.ini" skipped) or the
  // built-in model names + ".INI".
  void BuildIcDefinitionList();
  // Loads currentFileName (falling back as the start-up rules say), then ReadIcHeader.
  void LoadCurrentIcDefinition();
  void SelectIcDefinition(int index);
  [[nodiscard]] bool SelectAndMatchIcDefinition(std::uint8_t r1, std::uint8_t r2, int index);
  // Register sections "Camera_Register_00" to "Camera_Register_0F".
  [[nodiscard]] bool MatchChipRegisters(std::uint8_t r1, std::uint8_t r2);
  // Reads "Bus Type" (sets the bus code when the word is known), "Ic Name", "Customize Silence".
  void ReadIcHeader();
  // Number of definitions SelectAndMatchIcDefinition can be tried with.
  [[nodiscard]] int DefinitionCount() const;

  [[nodiscard]] std::int32_t GetVendorInfo(std::string_view key) const;
  // The memory "Project Type" names (FLASH, EEPROM8, EEPROM16, MTP, OTP); none for another word.
  // Only operations without an image consult it: an image's own boot memory code settles the
  // memory of every other operation.
  [[nodiscard]] std::optional<std::uint8_t> ProjectMemoryType() const;
  [[nodiscard]] std::int32_t GetConfigSize() const { return GetVendorInfo("ConfigSize"); }
  [[nodiscard]] std::uint8_t GetRegisterChipInfo();
  [[nodiscard]] std::optional<int> GetDefaultImageId() const;

  // The built-in list ("ICINI" 3034, loaded into rawText on first use).
  [[nodiscard]] bool IsDeviceListed(std::string_view deviceId);
  // "VidPidList.ini" beside the executable; a missing or unreadable file is said in a box.
  [[nodiscard]] bool IsDeviceListedInFile(std::string_view deviceId) const;

  [[nodiscard]] std::int32_t IniType() const { return iniType_; }

  std::string currentFileName = "VXQ62.INI";
  std::vector<std::string> fileList;
  std::string icName;
  std::string rawText;

 private:
  void ClearDefinition();
  void LoadEmbedded(int id);
  void LoadFile(const std::string& name);

  std::int32_t iniType_;
  std::vector<std::string> diskNames_;  // fileList entries as the directory spells them
};

// The start-up steps: a new definition ("VXQ62.INI" to begin with), its list, the current one
// loaded and its header read.
[[nodiscard]] std::unique_ptr<CICTypeIni> CreateStartupIcDefinition(std::int32_t iniType);
