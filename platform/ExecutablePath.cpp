#include "platform/ExecutablePath.h"

#include <mutex>

std::string QueryExecutableDirectory();  // one implementation per platform

namespace {
std::mutex g_mutex;
std::string g_override;
}  // namespace

std::string ExecutableDirectory() {
  {
    std::lock_guard lock(g_mutex);
    if (!g_override.empty()) return g_override;
  }
  return QueryExecutableDirectory();
}

std::string PathInExecutableDirectory(std::string_view fileName) {
  std::string path = ExecutableDirectory();
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  path += fileName;
  return path;
}

void SetExecutableDirectoryForTesting(std::string directory) {
  std::lock_guard lock(g_mutex);
  g_override = std::move(directory);
}
