// The command line's argument rules: arguments separated by NUL bytes in the input.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/ParseArg.h"
#include "platform/ExecutablePath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool once = [] {
    // The missing-"-f" rule writes "Result.txt" beside the executable: keep it out of the way.
    const auto dir = std::filesystem::temp_directory_path() / "lumatrace-fuzz-command-line";
    std::filesystem::create_directories(dir);
    SetExecutableDirectoryForTesting(dir.string());
    return true;
  }();
  (void)once;
  std::vector<std::string> arguments{"lumatrace"};
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  arguments.push_back(current);
  CParseArg parse;
  if (parse.Parse_Arg_Normal(arguments) == 1 && parse.m_cOperation == kOpNone) __builtin_trap();
  return 0;
}
