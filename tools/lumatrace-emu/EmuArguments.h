#pragma once
// The command line of lumatrace-emu, parsed into one request. Parsing never exits or throws:
// a bad line gives false and a message naming the problem.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "emulator/DeviceConfig.h"
#include "emulator/Faults.h"

namespace emu {

enum class Verb { kHelp, kCreate, kShow, kDump, kFault, kUnplug, kPlug, kResetCounters };

struct Request {
  Verb verb = Verb::kHelp;
  std::string bus;
  std::optional<std::uint32_t> port;
  vcodec::DeviceConfig device;   // create
  std::string firmware;          // create --firmware
  bool json = false;             // show
  std::string out;               // dump
  vcodec::Faults faults;         // fault
  bool clearFaults = false;      // fault --clear
};

// argv without the program name.
bool ParseArguments(const std::vector<std::string>& args, Request* request, std::string* error);

// Strict number: decimal or 0x-hex, the whole text, at most max.
bool ParseNumber(const std::string& text, std::uint64_t max, std::uint64_t* value);

extern const char kUsage[];

}  // namespace emu
