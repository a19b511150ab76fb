#pragma once
// Where the running program lives. Result files, "config.ini", "Log.txt" and "DebugLog.txt"
// are placed beside the executable.

#include <string>
#include <string_view>

// Directory of the running executable, without a trailing separator.
[[nodiscard]] std::string ExecutableDirectory();

// ExecutableDirectory() joined with a file name.
[[nodiscard]] std::string PathInExecutableDirectory(std::string_view fileName);

// Tests place the files of the program in a directory of their own.
void SetExecutableDirectoryForTesting(std::string directory);
