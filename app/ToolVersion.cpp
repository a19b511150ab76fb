#include "app/ToolVersion.h"

#include <cstring>

#include "app/AppContext.h"
#include "platform/VersionResource.h"

std::string ShortToolVersion(std::string_view fileVersion) {
  const std::size_t first = fileVersion.find('.');
  const std::size_t second = first == std::string_view::npos ? first : fileVersion.find('.', first + 1);
  const std::size_t third =
      second == std::string_view::npos ? second : fileVersion.find('.', second + 1);
  if (third == std::string_view::npos) return std::string(fileVersion);
  return std::string(fileVersion.substr(0, second + 1)) + std::string(fileVersion.substr(third + 1));
}

void ReadToolVersion() {
  std::memset(toolVersion, 0, sizeof toolVersion);
  const std::optional<std::string> version = ReadFileVersionResource();
  if (!version || version->empty()) return;
  const std::string text = ShortToolVersion(*version);
  std::memcpy(toolVersion, text.data(), std::min(text.size(), sizeof toolVersion - 1));
}
