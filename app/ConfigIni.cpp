#include "app/ConfigIni.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <shared_mutex>

#include "platform/ExecutablePath.h"
#include "platform/FileAttributes.h"
#include "resources/EmbeddedResources.h"

namespace {

// The store is written at start-up and by the device open ("PortNo"), possibly on the worker
// while the window reads; the lock keeps those apart.
std::shared_mutex g_storeMutex;
std::unique_ptr<CIniFile> g_store;

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

CIniFile* ConfigStore() {
  std::shared_lock lock(g_storeMutex);
  return g_store.get();
}

void DeleteConfigStore() {
  std::unique_lock lock(g_storeMutex);
  g_store.reset();
}

bool CConfigIni::LoadDefaultText() {
  const auto bytes = FindEmbeddedResource("ICINI", kConfigTextResourceId);
  if (bytes.empty()) return false;
  defaultText_.assign(bytes.begin(), bytes.end());
  return true;
}

void CConfigIni::LoadConfig() {
  std::unique_lock lock(g_storeMutex);
  if (!g_store) g_store = std::make_unique<CIniFile>();

  const std::string configIni = PathInExecutableDirectory("config.ini");
  if (FileExists(configIni) && IsFileReadOnly(configIni)) ClearReadOnlyAttribute(configIni);

  LoadDefaultText();
  std::string text = defaultText_;
  if (const char* override = std::getenv("LUMATRACE_CONFIG"); override != nullptr && *override) {
    std::string fileText;
    if (ReadWholeFile(override, fileText)) {
      text = std::move(fileText);
    } else {
      std::fprintf(stderr,
                   "lumatrace: cannot read the configuration file %s (LUMATRACE_CONFIG); "
                   "using the built-in configuration\n",
                   override);
    }
  }
  g_store->ReadFromText(text);
}

std::int32_t GetConfigInt(std::int32_t defaultValue, std::string_view section, std::string_view key) {
  std::shared_lock lock(g_storeMutex);
  if (!g_store) return defaultValue;
  return g_store->GetValueInt(defaultValue, section, key);
}

std::string GetConfigString(std::string_view defaultValue, std::string_view section,
                            std::string_view key) {
  std::shared_lock lock(g_storeMutex);
  if (!g_store) return std::string(defaultValue);
  return g_store->GetValue(section, key, defaultValue);
}

void SetConfigInt(std::string_view section, std::string_view key, std::int32_t value) {
  std::unique_lock lock(g_storeMutex);
  if (!g_store) g_store = std::make_unique<CIniFile>();
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  g_store->SetValue(section, key, text, true);
}
