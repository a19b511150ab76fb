#include "tools/lumatrace-emu/EmuArguments.h"

#include <map>

namespace emu {

const char kUsage[] =
    "usage: lumatrace-emu COMMAND BUS [options]\n"
    "  create BUS --chip VXQ61|VXQ62|VXQ64|VXQ65 --memory flash|eeprom8|eeprom16|otp\n"
    "         [--chip-id 0xB010] [--size BYTES] [--port N] [--commands extunit|vendor|legacy|both]\n"
    "         [--unit 8|32|64] [--vid 0x3C5E] [--pid 0x4C15] [--rev 0x0000] [--firmware FILE]\n"
    "         [--reset-delay MS] [--companion] [--option-byte 0xNN] [--unprotected]\n"
    "         [--ext-unit normal|none|other-code|after-standard]\n"
    "         [--transfer-us N] [--chip-erase-ms N] [--sector-erase-ms N] [--page-us N]\n"
    "                      adds a device (creates the bus file when missing)\n"
    "  show BUS [--json]   lists the devices\n"
    "  dump BUS --port N OUT\n"
    "                      writes the raw boot memory of the device to OUT\n"
    "  fault BUS --port N [--fail-transfer K] [--stall-transfer K] [--remove-at K]\n"
    "         [--stall-request R [--stall-value V]] [--busy-forever] [--erase-fails]\n"
    "         [--slow-return MS] [--not-ready MS] [--companion-return] [--stuck ADDR:MASK]... [--otp-fail ADDR]...\n"
    "         [--otp-lock] [--clear]\n"
    "                      arms faults (transfer numbers count from now)\n"
    "  unplug BUS --port N | plug BUS --port N\n"
    "  reset-counters BUS [--port N]\n";

namespace {

const std::map<std::string, Verb> kVerbs = {
    {"create", Verb::kCreate}, {"show", Verb::kShow},     {"dump", Verb::kDump},
    {"fault", Verb::kFault},   {"unplug", Verb::kUnplug}, {"plug", Verb::kPlug},
    {"reset-counters", Verb::kResetCounters}};

struct Cursor {
  const std::vector<std::string>& args;
  std::size_t at;
  std::string* error;

  bool Value(const std::string& option, std::string* value) {
    if (at + 1 >= args.size()) {
      *error = option + " needs a value";
      return false;
    }
    *value = args[++at];
    return true;
  }
  bool Number(const std::string& option, std::uint64_t max, std::uint64_t* value) {
    std::string text;
    if (!Value(option, &text)) return false;
    if (!ParseNumber(text, max, value)) {
      *error = option + ": not a number up to " + std::to_string(max) + ": " + text;
      return false;
    }
    return true;
  }
};

bool CreateOption(Cursor& c, const std::string& opt, Request* r, bool* chipGiven, bool* memoryGiven) {
  std::uint64_t n = 0;
  std::string text;
  vcodec::DeviceConfig& d = r->device;
  if (opt == "--chip") {
    if (!c.Value(opt, &text)) return false;
    const auto model = vcodec::ParseModel(text);
    if (!model) return (*c.error = "--chip: unknown chip " + text, false);
    d.model = *model;
    *chipGiven = true;
  } else if (opt == "--memory") {
    if (!c.Value(opt, &text)) return false;
    const auto kind = vcodec::ParseMemory(text);
    if (!kind) return (*c.error = "--memory: must be flash, eeprom8, eeprom16 or otp: " + text, false);
    d.memory = *kind;
    *memoryGiven = true;
  } else if (opt == "--chip-id") {
    if (!c.Number(opt, 0xFFFF, &n)) return false;
    d.chipId = static_cast<std::uint16_t>(n);
  } else if (opt == "--size") {
    if (!c.Number(opt, 0xFFFFFFFF, &n)) return false;
    d.memorySize = static_cast<std::uint32_t>(n);
  } else if (opt == "--commands") {
    if (!c.Value(opt, &text)) return false;
    if (text == "both") d.commands = vcodec::CommandSets::kBoth;
    else if (text == "extunit") d.commands = vcodec::CommandSets::kExtUnit;
    else if (text == "vendor") d.commands = vcodec::CommandSets::kVendor;
    else if (text == "legacy") d.commands = vcodec::CommandSets::kLegacy;
    else return (*c.error = "--commands: must be extunit, vendor, legacy or both: " + text, false);
  } else if (opt == "--unit") {
    if (!c.Number(opt, 64, &n)) return false;
    if (n != 8 && n != 32 && n != 64) return (*c.error = "--unit: must be 8, 32 or 64", false);
    d.maxUnit = static_cast<std::uint32_t>(n);
  } else if (opt == "--vid" || opt == "--pid" || opt == "--rev") {
    if (!c.Number(opt, 0xFFFF, &n)) return false;
    (opt == "--vid" ? d.vid : opt == "--pid" ? d.pid : d.rev) = static_cast<std::uint16_t>(n);
  } else if (opt == "--firmware") {
    if (!c.Value(opt, &r->firmware)) return false;
  } else if (opt == "--reset-delay") {
    if (!c.Number(opt, 600000, &n)) return false;
    d.resetDelayMs = static_cast<std::uint32_t>(n);
  } else if (opt == "--companion") {
    d.hasCompanion = true;
  } else if (opt == "--unprotected") {
    d.flashProtected = false;
  } else if (opt == "--ext-unit") {
    if (!c.Value(opt, &text)) return false;
    if (text == "normal") d.extUnit = vcodec::ExtUnitLayout::kNormal;
    else if (text == "none") d.extUnit = vcodec::ExtUnitLayout::kAbsent;
    else if (text == "other-code") d.extUnit = vcodec::ExtUnitLayout::kOtherCode;
    else if (text == "after-standard") d.extUnit = vcodec::ExtUnitLayout::kAfterStandard;
    else return (*c.error = "--ext-unit: must be normal, none, other-code or after-standard: " + text, false);
  } else if (opt == "--transfer-us" || opt == "--chip-erase-ms" || opt == "--sector-erase-ms" || opt == "--page-us") {
    if (!c.Number(opt, 600000000, &n)) return false;
    vcodec::LatencyModel& l = d.latency;
    std::uint32_t& field = opt == "--transfer-us"       ? l.perTransferUs
                           : opt == "--chip-erase-ms"   ? l.chipEraseMs
                           : opt == "--sector-erase-ms" ? l.sectorEraseMs
                                                        : l.pageProgramUs;
    field = static_cast<std::uint32_t>(n);
  } else if (opt == "--option-byte") {
    if (!c.Number(opt, 0xFF, &n)) return false;
    d.optionByte = static_cast<std::uint8_t>(n);
  } else {
    *c.error = "create: unknown option " + opt;
    return false;
  }
  return true;
}

bool FaultOption(Cursor& c, const std::string& opt, Request* r) {
  std::uint64_t n = 0;
  vcodec::Faults& f = r->faults;
  if (opt == "--fail-transfer" || opt == "--stall-transfer" || opt == "--remove-at") {
    if (!c.Number(opt, 1u << 31, &n)) return false;
    if (n == 0) return (*c.error = opt + ": transfers count from 1", false);
    (opt == "--fail-transfer" ? f.failTransfer : opt == "--stall-transfer" ? f.stallTransfer : f.removeAtTransfer) = n;
  } else if (opt == "--stall-request") {
    if (!c.Number(opt, 0xFF, &n)) return false;
    f.stallRequest = static_cast<std::uint8_t>(n);
  } else if (opt == "--stall-value") {
    if (!c.Number(opt, 0xFFFF, &n)) return false;
    f.stallValue = static_cast<std::uint16_t>(n);
  } else if (opt == "--busy-forever") {
    f.busyForever = true;
  } else if (opt == "--erase-fails") {
    f.eraseFails = true;
  } else if (opt == "--slow-return") {
    if (!c.Number(opt, 600000, &n)) return false;
    f.slowReturnMs = static_cast<std::uint32_t>(n);
  } else if (opt == "--not-ready") {
    if (!c.Number(opt, 600000, &n)) return false;
    f.notReadyMs = static_cast<std::uint32_t>(n);
  } else if (opt == "--companion-return") {
    f.returnOnCompanion = true;
  } else if (opt == "--stuck") {
    std::string text;
    if (!c.Value(opt, &text)) return false;
    const std::size_t colon = text.find(':');
    std::uint64_t address = 0, mask = 0;
    if (colon == std::string::npos || !ParseNumber(text.substr(0, colon), 0x1FFFFF, &address) ||
        !ParseNumber(text.substr(colon + 1), 0xFF, &mask)) {
      return (*c.error = "--stuck: expected ADDRESS:MASK, e.g. 0x1000:0x01: " + text, false);
    }
    if (f.stuckBits.size() == 8) return (*c.error = "--stuck: at most 8", false);
    f.stuckBits.push_back({static_cast<std::uint32_t>(address), static_cast<std::uint8_t>(mask)});
  } else if (opt == "--otp-fail") {
    if (!c.Number(opt, 0x3FFF, &n)) return false;
    if (f.otpFailAddresses.size() == 16) return (*c.error = "--otp-fail: at most 16", false);
    f.otpFailAddresses.push_back(static_cast<std::uint16_t>(n));
  } else if (opt == "--otp-lock") {
    f.otpLocked = true;
  } else if (opt == "--clear") {
    r->clearFaults = true;
  } else {
    *c.error = "fault: unknown option " + opt;
    return false;
  }
  return true;
}

}  // namespace

bool ParseNumber(const std::string& text, std::uint64_t max, std::uint64_t* value) {
  std::size_t at = 0;
  unsigned base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    at = 2;
    base = 16;
  }
  if (at >= text.size() || text.size() - at > 16) return false;
  std::uint64_t v = 0;
  for (; at < text.size(); ++at) {
    const char ch = text[at];
    unsigned digit;
    if (ch >= '0' && ch <= '9') digit = static_cast<unsigned>(ch - '0');
    else if (base == 16 && ch >= 'a' && ch <= 'f') digit = static_cast<unsigned>(ch - 'a' + 10);
    else if (base == 16 && ch >= 'A' && ch <= 'F') digit = static_cast<unsigned>(ch - 'A' + 10);
    else return false;
    v = v * base + digit;
    if (v > max) return false;
  }
  *value = v;
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, Request* request, std::string* error) {
  for (const std::string& a : args) {
    if (a == "--help" || a == "-h") {
      request->verb = Verb::kHelp;
      return true;
    }
  }
  if (args.empty()) {
    *error = "no command given";
    return false;
  }
  const auto verb = kVerbs.find(args[0]);
  if (verb == kVerbs.end()) {
    *error = "unknown command " + args[0];
    return false;
  }
  request->verb = verb->second;
  if (args.size() < 2 || args[1].empty() || args[1][0] == '-') {
    *error = args[0] + ": the bus file must follow the command";
    return false;
  }
  request->bus = args[1];
  Cursor c{args, 2, error};
  bool chipGiven = false, memoryGiven = false;
  std::vector<std::string> positional;
  for (; c.at < args.size(); ++c.at) {
    const std::string& opt = args[c.at];
    std::uint64_t n = 0;
    if (opt == "--port") {
      if (!c.Number(opt, 7, &n)) return false;
      if (n == 0) return (*error = "--port: ports are 1 to 7", false);
      request->port = static_cast<std::uint32_t>(n);
      request->device.port = static_cast<std::uint32_t>(n);
    } else if (request->verb == Verb::kShow && opt == "--json") {
      request->json = true;
    } else if (request->verb == Verb::kCreate && opt.rfind("--", 0) == 0) {
      if (!CreateOption(c, opt, request, &chipGiven, &memoryGiven)) return false;
    } else if (request->verb == Verb::kFault && opt.rfind("--", 0) == 0) {
      if (!FaultOption(c, opt, request)) return false;
    } else if (opt.rfind("--", 0) == 0) {
      *error = args[0] + ": unknown option " + opt;
      return false;
    } else {
      positional.push_back(opt);
    }
  }
  const bool wantsOut = request->verb == Verb::kDump;
  if (positional.size() > (wantsOut ? 1u : 0u)) {
    *error = args[0] + ": unexpected argument " + positional.back();
    return false;
  }
  if (wantsOut) {
    if (positional.empty()) return (*error = "dump: the output file is missing", false);
    request->out = positional[0];
  }
  if (request->verb == Verb::kCreate && (!chipGiven || !memoryGiven)) {
    *error = "create: --chip and --memory are required";
    return false;
  }
  const bool needsPort = request->verb == Verb::kDump || request->verb == Verb::kFault ||
                         request->verb == Verb::kUnplug || request->verb == Verb::kPlug;
  if (needsPort && !request->port) {
    *error = args[0] + ": --port is required";
    return false;
  }
  if (request->faults.stallValue && !request->faults.stallRequest) {
    *error = "fault: --stall-value needs --stall-request";
    return false;
  }
  return true;
}

}  // namespace emu
