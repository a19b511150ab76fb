// lumatrace-emu's command-line parser on arbitrary argument lists (NUL-separated input).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The parser lives in the tool, which the fuzz build does not link: compile it in here.
#include "tools/lumatrace-emu/EmuArguments.cpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args(1);
  for (std::size_t i = 0; i < size && args.size() < 64; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  emu::Request request;
  std::string error;
  (void)emu::ParseArguments(args, &request, &error);
  std::uint64_t value = 0;
  (void)emu::ParseNumber(args[0], 0xFFFF, &value);
  return 0;
}
