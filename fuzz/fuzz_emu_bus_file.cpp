// A bus file is outside input: opening one with arbitrary header and device records must
// refuse it or give a bus whose every query stays in bounds.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "device/usb/EmulatorBackend.h"
#include "emulator/Bus.h"
#include "emulator/BusLayout.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/fuzz_emu_bus_" + std::to_string(getpid());
  // A well-formed empty bus, made once; every run lays the input (zero-padded) over the first
  // device record and a fresh header (the header's own checks are plain comparisons).
  static std::vector<std::uint8_t> header = [] {
    std::string error;
    unlink(path.c_str());
    auto fresh = vcodec::Bus::OpenFile(path, ProgramTimeSource(), true, &error);
    std::vector<std::uint8_t> bytes(sizeof(vcodec::BusHeader));
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd >= 0 && pread(fd, bytes.data(), bytes.size(), 0) < 0) bytes.clear();
    if (fd >= 0) close(fd);
    return bytes;
  }();
  std::vector<std::uint8_t> record(4096, 0);
  std::memcpy(record.data(), data, size < record.size() ? size : record.size());
  const int fd = open(path.c_str(), O_WRONLY);
  if (fd < 0) return 0;
  const bool written = pwrite(fd, header.data(), header.size(), 0) >= 0 &&
                       pwrite(fd, record.data(), record.size(), static_cast<off_t>(offsetof(vcodec::BusImage, slots))) >= 0;
  close(fd);
  if (!written) return 0;
  std::string error;
  auto bus = vcodec::Bus::OpenFile(path, ProgramTimeSource(), false, &error);
  if (!bus) return 0;
  for (std::uint32_t port : bus->Ports()) {
    (void)bus->Info(port);
    (void)bus->Memory(port);
  }
  for (DevNode node : bus->Enumerate(DeviceSet::kAudioFunctions)) {
    (void)bus->InstanceId(node);
    (void)bus->Property(node, NodeProperty::kLocationPath);
    std::uint64_t handle = 0, id = 0;
    if (bus->OpenInterface(node, InterfaceClass::kAudio, &handle) != 0) continue;
    if (bus->Bind(handle, &id) != 0) continue;
    std::uint8_t buffer[512];
    ControlSetup setup{0x80, 0x06, 0x0200, 0, sizeof buffer};
    (void)bus->Submit(id, setup, buffer, 5000);
    ControlSetup status{0xC0, 0x07, 0, 0, 8};
    (void)bus->Submit(id, status, buffer, 5000);
  }
  return 0;
}
