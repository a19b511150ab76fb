#include "platform/VersionResource.h"

// On POSIX the version resource is the file version the build compiled in.
std::optional<std::string> ReadFileVersionResource() {
#ifdef LUMATRACE_FILE_VERSION
  return std::string(LUMATRACE_FILE_VERSION);
#else
  return std::nullopt;
#endif
}
