#pragma once
// Runs one parsed lumatrace-emu request against a bus file. Returns the exit code: 0 done,
// 1 failed (the message is on err).

#include <ostream>

#include "tools/lumatrace-emu/EmuArguments.h"

namespace emu {

int RunRequest(const Request& request, std::ostream& out, std::ostream& err);

}  // namespace emu
