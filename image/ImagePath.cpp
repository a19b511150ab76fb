#include "image/ImagePath.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "platform/ExecutablePath.h"

namespace fs = std::filesystem;

namespace {

bool WildcardMatch(const std::string& pattern, const std::string& name, std::size_t p = 0, std::size_t n = 0) {
  for (; p < pattern.size(); ++p, ++n) {
    if (pattern[p] == '*') {
      for (std::size_t k = n; k <= name.size(); ++k) {
        if (WildcardMatch(pattern, name, p + 1, k)) return true;
      }
      return false;
    }
    if (n >= name.size() || (pattern[p] != '?' && pattern[p] != name[n])) return false;
  }
  return n == name.size();
}

std::optional<fs::path> FirstMatch(const fs::path& pattern) {
  std::error_code ec;
  std::vector<fs::path> matches;
  const std::string filePattern = pattern.filename().string();
  for (const auto& entry : fs::directory_iterator(pattern.parent_path(), ec)) {
    if (entry.is_regular_file(ec) && WildcardMatch(filePattern, entry.path().filename().string())) {
      matches.push_back(entry.path());
    }
  }
  if (matches.empty()) return std::nullopt;
  return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::optional<std::string> ResolveImagePath(const std::string& path) {
  if (path.empty()) return std::nullopt;
  std::string p = path;
  std::replace(p.begin(), p.end(), '\\', '/');
  const bool absolute = p.front() == '/' || p.find(':') != std::string::npos;
  fs::path full = absolute ? fs::path(p) : fs::path(ExecutableDirectory()) / p;
  if (full.filename().string().find_first_of("*?") != std::string::npos) {
    const auto match = FirstMatch(full);
    if (!match) return std::nullopt;
    full = *match;
  }
  std::error_code ec;
  if (!fs::is_regular_file(full, ec)) return std::nullopt;
  const fs::path canonical = fs::weakly_canonical(full, ec);
  return ec ? full.string() : canonical.string();
}
