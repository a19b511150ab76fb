// Transfers per second through the virtual bus (in memory and file-backed) for a 64 KiB flash
// write and read-back, and the modelled bus time of the same work.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "device/usb/EmulatorBackend.h"
#include "emulator/Bus.h"
#include "emulator/Descriptors.h"

namespace {

struct Host {
  vcodec::Bus& bus;
  std::uint64_t id = 0;

  explicit Host(vcodec::Bus& b) : bus(b) {
    std::uint64_t handle = 0;
    const auto nodes = bus.Enumerate(DeviceSet::kAudioFunctions);
    if (nodes.empty() || bus.OpenInterface(nodes[0], InterfaceClass::kAudio, &handle) != 0 ||
        bus.Bind(handle, &id) != 0) {
      std::fprintf(stderr, "no device\n");
    }
  }
  std::uint32_t Send(std::uint8_t type, std::uint8_t request, std::uint16_t value, std::uint16_t index,
                     std::uint8_t* data, std::uint16_t length) {
    return bus.Submit(id, ControlSetup{type, request, value, index, length}, data, 5000).error;
  }
  std::uint32_t Block(std::uint8_t group, std::uint8_t op, std::uint16_t p1, std::uint16_t p2, std::uint16_t p3) {
    std::uint8_t b[8] = {group, op, std::uint8_t(p1), std::uint8_t(p1 >> 8), std::uint8_t(p2),
                         std::uint8_t(p2 >> 8), std::uint8_t(p3), std::uint8_t(p3 >> 8)};
    return Send(0x21, 0x01, 0x0A00, vcodec::kExtUnitId << 8, b, 8);
  }
};

void Run(const char* name, vcodec::Bus& bus, std::uint16_t unit) {
  Host host(bus);
  std::uint8_t one = 0x00;
  // Lift protection the way a host does, erase, then write and read 64 KiB.
  host.Block(0x00, 0x82, 0xFEC6, 1, 0);
  one = 0x01;
  host.Send(0x21, 0x01, 0x0B00, vcodec::kExtUnitId << 8, &one, 1);
  host.Block(0x02, 0x83, 0, 1, 0);
  one = 0x00;
  host.Send(0x21, 0x01, 0x0B00, vcodec::kExtUnitId << 8, &one, 1);
  host.Block(0x00, 0x16, 0, unit, 0);
  (void)bus.ResetCounters(1);
  std::vector<std::uint8_t> data(unit, 0x5A);
  const auto start = std::chrono::steady_clock::now();
  std::uint32_t failures = 0;
  host.Block(0x02, 0x04, 0, 0, 0);
  for (std::uint32_t at = 0; at < 0x10000; at += 0x1000) {
    failures += host.Block(0x02, 0x82, static_cast<std::uint16_t>(at), 0x1000, 0) != 0;
    for (std::uint32_t i = 0; i < 0x1000; i += unit) {
      failures += host.Send(0x21, 0x01, 0x0B00, vcodec::kExtUnitId << 8, data.data(), unit) != 0;
    }
  }
  for (std::uint32_t at = 0; at < 0x10000; at += 0x1000) {
    failures += host.Block(0x02, 0xC2, static_cast<std::uint16_t>(at), 0x1000, 0) != 0;
    for (std::uint32_t i = 0; i < 0x1000; i += unit) {
      failures += host.Send(0xA1, 0x81, 0x0B00, vcodec::kExtUnitId << 8, data.data(), unit) != 0;
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto counters = bus.Counters(1);
  std::printf("%-22s unit %2u: %6llu transfers in %7.3f s = %9.0f transfers/s, modelled bus %8.1f ms, "
              "%llu failed\n",
              name, unit, static_cast<unsigned long long>(counters->transfers), seconds,
              static_cast<double>(counters->transfers) / seconds, static_cast<double>(counters->busUs) / 1000.0,
              static_cast<unsigned long long>(failures));
}

}  // namespace

int main() {
  for (std::uint16_t unit : {std::uint16_t{8}, std::uint16_t{64}}) {
    vcodec::DeviceConfig config;
    auto memoryBus = vcodec::Bus::CreateInMemory(ProgramTimeSource());
    (void)memoryBus->Plug(config, {}, nullptr);
    Run("in-memory bus", *memoryBus, unit);

    const std::string path = "/tmp/bench_emulator_" + std::to_string(getpid()) + ".bus";
    std::string error;
    auto fileBus = vcodec::Bus::OpenFile(path, ProgramTimeSource(), true, &error);
    if (!fileBus) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    (void)fileBus->Plug(config, {}, nullptr);
    Run("file-backed bus", *fileBus, unit);
    unlink(path.c_str());
  }
  return 0;
}
