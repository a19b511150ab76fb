#include "tools/lumatrace-emu/EmuCommands.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "device/usb/EmulatorBackend.h"
#include "emulator/Bus.h"
#include "tools/lumatrace-emu/JsonText.h"

namespace emu {
namespace {

std::string Hex4(std::uint32_t v) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", v & 0xFFFF);
  return text;
}

std::string Milliseconds(std::uint64_t us) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", static_cast<double>(us) / 1000.0);
  return text;
}

bool ReadFile(const std::string& path, std::vector<std::uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

void ShowText(vcodec::Bus& bus, std::ostream& out) {
  const auto ports = bus.Ports();
  if (ports.empty()) out << "no devices\n";
  for (std::uint32_t port : ports) {
    const auto info = bus.Info(port);
    if (!info) continue;
    out << "port " << port << ": " << vcodec::ModelName(info->model) << " (chip id " << Hex4(info->chipId)
        << "), " << vcodec::MemoryName(info->memory) << " " << info->memorySize << " bytes"
        << (info->connected ? "" : ", unplugged") << "\n"
        << "  mode " << (info->firmware ? "firmware" : "rom") << ", version " << info->version << "\n"
        << "  VID " << Hex4(info->vid) << " PID " << Hex4(info->pid) << " REV " << Hex4(info->rev)
        << ", serial \"" << info->serial << "\"\n"
        << "  memory sha256 " << info->memorySha256 << "\n"
        << "  transfers " << info->counters.transfers << " (failed " << info->counters.failedTransfers
        << "), bus " << Milliseconds(info->counters.busUs) << " ms\n";
  }
}

void ShowJson(vcodec::Bus& bus, std::ostream& out) {
  out << "{\"devices\": [";
  bool first = true;
  for (std::uint32_t port : bus.Ports()) {
    const auto info = bus.Info(port);
    if (!info) continue;
    out << (first ? "" : ", ") << "{\"port\": " << port << ", \"chip\": " << JsonString(vcodec::ModelName(info->model))
        << ", \"memory\": " << JsonString(vcodec::MemoryName(info->memory))
        << ", \"mode\": " << JsonString(info->firmware ? "firmware" : "rom")
        << ", \"version\": " << JsonString(info->version) << ", \"vid\": " << JsonString(Hex4(info->vid))
        << ", \"pid\": " << JsonString(Hex4(info->pid)) << ", \"rev\": " << JsonString(Hex4(info->rev))
        << ", \"serial\": " << JsonString(info->serial) << ", \"memory_sha256\": " << JsonString(info->memorySha256)
        << ", \"transfers\": " << info->counters.transfers << ", \"bus_ms\": " << Milliseconds(info->counters.busUs)
        << "}";
    first = false;
  }
  out << "]}\n";
}

}  // namespace

int RunRequest(const Request& request, std::ostream& out, std::ostream& err) {
  auto fail = [&](const std::string& message) {
    err << "lumatrace-emu: " << message << "\n";
    return 1;
  };
  if (request.verb == Verb::kHelp) {
    out << kUsage;
    return 0;
  }
  std::vector<std::uint8_t> firmware;
  if (!request.firmware.empty() && !ReadFile(request.firmware, &firmware)) {
    return fail("cannot read firmware file " + request.firmware);
  }
  std::string error;
  auto bus = vcodec::Bus::OpenFile(request.bus, ProgramTimeSource(), request.verb == Verb::kCreate, &error);
  if (!bus) return fail(error);
  const std::uint32_t port = request.port.value_or(0);
  auto noDevice = [&] { return fail("no device on port " + std::to_string(port)); };
  switch (request.verb) {
    case Verb::kHelp: break;
    case Verb::kCreate: {
      const auto plugged = bus->Plug(request.device, firmware, &error);
      if (!plugged) return fail(error);
      out << "port " << *plugged << "\n";
      return 0;
    }
    case Verb::kShow:
      if (request.json) ShowJson(*bus, out); else ShowText(*bus, out);
      return 0;
    case Verb::kDump: {
      const auto memory = bus->Memory(port);
      if (!memory) return noDevice();
      std::ofstream file(request.out, std::ios::binary | std::ios::trunc);
      file.write(reinterpret_cast<const char*>(memory->data()), static_cast<std::streamsize>(memory->size()));
      if (!file.good()) return fail("cannot write " + request.out);
      return 0;
    }
    case Verb::kFault: {
      const bool done = request.clearFaults ? bus->ClearFaults(port) : bus->ArmFaults(port, request.faults);
      return done ? 0 : noDevice();
    }
    case Verb::kUnplug: return bus->Unplug(port) ? 0 : noDevice();
    case Verb::kPlug: return bus->Replug(port) ? 0 : noDevice();
    case Verb::kResetCounters:
      if (request.port) return bus->ResetCounters(port) ? 0 : noDevice();
      for (std::uint32_t p : bus->Ports()) (void)bus->ResetCounters(p);
      return 0;
  }
  return 0;
}

}  // namespace emu
