#include "image/ICTypeIni.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "image/IcTables.h"
#include "image/VidPidList.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageBox.h"
#include "resources/EmbeddedResources.h"

namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool HasIniExtension(const std::string& name) {
  return name.size() >= 4 && Upper(name.substr(name.size() - 4)) == ".INI";
}

}  // namespace

CICTypeIni::CICTypeIni(std::int32_t iniType) : iniType_(iniType) {}

void CICTypeIni::BuildIcDefinitionList() {
  fileList.clear();
  diskNames_.clear();
  if (iniType_ != 1) {
    for (const NamedResource& entry : BuiltInDefinitions()) fileList.push_back(Upper(entry.name) + ".INI");
    return;
  }
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(ExecutableDirectory(), ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory(ec) || !HasIniExtension(name)) continue;
    if (name == "config.ini") continue;
    fileList.push_back(Upper(name));
    diskNames_.push_back(name);
  }
}

void CICTypeIni::ClearDefinition() {
  Clear();
  icName.clear();
}

void CICTypeIni::LoadEmbedded(int id) {
  const auto bytes = FindEmbeddedResource("ICINI", id);
  if (bytes.empty()) return;
  rawText.assign(bytes.begin(), bytes.end());
  ReadFromText(rawText);
}

void CICTypeIni::LoadFile(const std::string& name) {
  // The list holds upper-case names; the file system may tell letter cases apart.
  std::string onDisk = name;
  for (std::size_t i = 0; i < fileList.size() && i < diskNames_.size(); ++i) {
    if (fileList[i] == name) onDisk = diskNames_[i];
  }
  SetPath(PathInExecutableDirectory(onDisk));
  ReadFromFile();
}

void CICTypeIni::LoadCurrentIcDefinition() {
  ClearDefinition();
  if (iniType_ != 1) {
    int id = kFallbackDefinitionId;
    for (const NamedResource& entry : BuiltInDefinitions()) {
      if (currentFileName == Upper(std::string(entry.name) + ".ini")) {
        id = entry.id;
        break;
      }
    }
    LoadEmbedded(id);
  } else {
    if (fileList.empty()) {
      currentFileName.clear();
      return;
    }
    if (std::find(fileList.begin(), fileList.end(), currentFileName) == fileList.end()) {
      currentFileName = fileList.front();
    }
    LoadFile(currentFileName);
  }
  ReadIcHeader();
}

void CICTypeIni::SelectIcDefinition(int index) {
  ClearDefinition();
  if (iniType_ == 1) {
    if (fileList.empty()) {
      currentFileName.clear();
      return;
    }
    const bool inList = index >= 0 && static_cast<std::size_t>(index) < fileList.size();
    currentFileName = inList ? fileList[static_cast<std::size_t>(index)] : std::string();
    if (inList) LoadFile(currentFileName);
    return;
  }
  const auto builtIn = BuiltInDefinitions();
  if (index >= 0 && static_cast<std::size_t>(index) < builtIn.size()) {
    LoadEmbedded(builtIn[static_cast<std::size_t>(index)].id);
  }
}

bool CICTypeIni::SelectAndMatchIcDefinition(std::uint8_t r1, std::uint8_t r2, int index) {
  SelectIcDefinition(index);
  return MatchChipRegisters(r1, r2);
}

int CICTypeIni::DefinitionCount() const {
  return iniType_ == 1 ? static_cast<int>(fileList.size()) : static_cast<int>(BuiltInDefinitions().size());
}

bool CICTypeIni::MatchChipRegisters(std::uint8_t r1, std::uint8_t r2) {
  for (int i = 0; i <= 0x0F; ++i) {
    char section[32];
    std::snprintf(section, sizeof section, "Camera_%s_%02X", "Register", i);
    const int s = FindSection(section);
    if (s < 0) continue;
    const auto a = static_cast<std::uint8_t>(GetValueInt(s, 0, "ICRegister1"));
    const auto b = static_cast<std::uint8_t>(GetValueInt(s, 0, "ICRegister2"));
    if (a == r1 && b == r2) {
      register1 = r1;
      register2 = r2;
      chipInfo = static_cast<std::uint8_t>(GetValueInt(s, 0, "ChipInfo"));
      return true;
    }
  }
  return false;
}

void CICTypeIni::ReadIcHeader() {
  if (const auto bus = LookupBusWord(GetValue(kConfigSection, "Bus Type", ""))) App().busType = *bus;
  icName = GetValue(kConfigSection, "Ic Name", "");
  (void)GetValueInt(0, kConfigSection, "Customize Silence");
}

std::int32_t CICTypeIni::GetVendorInfo(std::string_view key) const {
  return GetValueInt(0, kVendorInfoSection, key);
}

std::optional<std::uint8_t> CICTypeIni::ProjectMemoryType() const {
  return LookupMemoryTypeWord(GetValue(kConfigSection, "Project Type", ""));
}

std::uint8_t CICTypeIni::GetRegisterChipInfo() {
  chipInfo = static_cast<std::uint8_t>(GetValueInt(0, "Camera_Register_00", "ChipInfo"));
  return chipInfo;
}

std::optional<int> CICTypeIni::GetDefaultImageId() const {
  return LookupDefaultImage(GetValue(kConfigSection, "Def Bin", ""));
}

bool CICTypeIni::IsDeviceListed(std::string_view deviceId) {
  if (rawText.empty()) {
    const auto bytes = FindEmbeddedResource("ICINI", kVidPidListResourceId);
    rawText.assign(bytes.begin(), bytes.end());
  }
  return VidPidListAccepts(rawText, deviceId);
}

bool CICTypeIni::IsDeviceListedInFile(std::string_view deviceId) const {
  const std::string path = PathInExecutableDirectory("VidPidList.ini");
  char text[1024];
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    std::snprintf(text, sizeof text, "%s does not exist", path.c_str());
    ShowMessageBox(text, "");
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::snprintf(text, sizeof text, "Fail to open file %s", path.c_str());
    ShowMessageBox(text, "");
    return false;
  }
  const std::string fileText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return VidPidFileAccepts(fileText, deviceId);
}

std::unique_ptr<CICTypeIni> CreateStartupIcDefinition(std::int32_t iniType) {
  auto ic = std::make_unique<CICTypeIni>(iniType);
  ic->BuildIcDefinitionList();
  ic->LoadCurrentIcDefinition();
  ic->ReadIcHeader();
  return ic;
}
