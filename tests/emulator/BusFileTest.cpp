// A bus kept in a file: separate processes share its devices without corrupting them.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "device/usb/EmulatorBackend.h"
#include "emulator/Bus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"
#include "tests/support/TempDir.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

// Writes `count` distinct bytes to a range of chip memory, one vendor request each, then
// reads them back; returns the number of mismatches.
int Hammer(const std::string& path, std::uint16_t base, int count) {
  std::string error;
  auto bus = Bus::OpenFile(path, ProgramTimeSource(), false, &error);
  if (!bus) return -1;
  ChipClient client(*bus, 1);
  int bad = 0;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t value = static_cast<std::uint8_t>(i * 7 + base);
    if (client.VendorOut(0x24, 0, static_cast<std::uint16_t>(base + i), {value}) != 0) ++bad;
    const Reply r = client.VendorIn(0x25, 0, static_cast<std::uint16_t>(base + i), 1);
    if (r.error != 0 || r.data != std::vector<std::uint8_t>{value}) ++bad;
  }
  return bad;
}

TEST(BusFileTest, TwoProcessesShareOneBusFile) {
  TempDir dir;
  const std::string path = dir.File("bus");
  std::string error;
  {
    auto bus = Bus::OpenFile(path, ProgramTimeSource(), true, &error);
    ASSERT_TRUE(bus) << error;
    ASSERT_TRUE(bus->Plug(DeviceConfig{}, {}, &error)) << error;
  }
  constexpr int kEach = 2000;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(Hammer(path, 0x4000, kEach) == 0 ? 0 : 1);
  EXPECT_EQ(Hammer(path, 0x6000, kEach), 0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  auto bus = Bus::OpenFile(path, ProgramTimeSource(), false, &error);
  ASSERT_TRUE(bus) << error;
  // Every transfer of both processes was counted, none lost to a race.
  EXPECT_EQ(bus->Counters(1)->transfers, 4u * kEach);
  EXPECT_EQ(bus->Register(1, 0x4000 + 5), static_cast<std::uint8_t>(5 * 7 + 0x4000));
  EXPECT_EQ(bus->Register(1, 0x6000 + 5), static_cast<std::uint8_t>(5 * 7 + 0x6000));
}

TEST(BusFileTest, DevicesAndMemoryOutliveTheProcessThatMadeThem) {
  TempDir dir;
  const std::string path = dir.File("bus");
  std::string error;
  {
    auto bus = Bus::OpenFile(path, ProgramTimeSource(), true, &error);
    DeviceConfig config;
    config.port = 6;
    config.memory = MemoryKind::kEeprom16;
    ASSERT_TRUE(bus->Plug(config, {}, &error)) << error;
    ASSERT_TRUE(bus->WriteMemory(6, 0x100, {1, 2, 3}));
  }
  auto bus = Bus::OpenFile(path, ProgramTimeSource(), false, &error);
  ASSERT_TRUE(bus) << error;
  EXPECT_EQ(bus->Ports(), std::vector<std::uint32_t>{6});
  EXPECT_EQ(bus->Memory(6)->at(0x102), 3);
  EXPECT_EQ(bus->Info(6)->memory, MemoryKind::kEeprom16);
}

}  // namespace
