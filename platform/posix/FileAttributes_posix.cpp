#include "platform/FileAttributes.h"

#include <sys/stat.h>

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

bool IsFileReadOnly(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

bool ClearReadOnlyAttribute(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return false;
  if ((st.st_mode & S_IWUSR) != 0) return true;
  return chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}
