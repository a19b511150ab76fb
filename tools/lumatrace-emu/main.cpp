// lumatrace-emu: creates and drives emulated codecs on a bus file (see --help).

#include <iostream>

#include "tools/lumatrace-emu/EmuArguments.h"
#include "tools/lumatrace-emu/EmuCommands.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  emu::Request request;
  std::string error;
  if (!emu::ParseArguments(args, &request, &error)) {
    std::cerr << "lumatrace-emu: " << error << "\n" << emu::kUsage;
    return 1;
  }
  return emu::RunRequest(request, std::cout, std::cerr);
}
