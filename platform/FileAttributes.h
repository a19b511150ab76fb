#pragma once
// The read-only attribute of a file. On POSIX a file is read-only when its owner may not write
// it; clearing the attribute grants the owner write permission and keeps every other bit.

#include <string>

[[nodiscard]] bool FileExists(const std::string& path);
[[nodiscard]] bool IsFileReadOnly(const std::string& path);

// Clears the read-only attribute of an existing file. Returns true when the file is writable
// afterwards; a missing file returns false and is not created.
bool ClearReadOnlyAttribute(const std::string& path);
