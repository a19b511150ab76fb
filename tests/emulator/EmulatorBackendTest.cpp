// The seam's emulator backend: the program's clock drives the bus, a bus file opens by path.

#include <gtest/gtest.h>

#include "device/usb/EmulatorBackend.h"
#include "platform/Clock.h"
#include "tests/support/TempDir.h"

namespace {

TEST(EmulatorBackendTest, ReEnumerationRunsOnTheProgramsClock) {
  SimulatedClock clock;
  SetClockForTesting(&clock);
  auto bus = vcodec::Bus::CreateInMemory(ProgramTimeSource());
  ASSERT_TRUE(bus->Plug(vcodec::DeviceConfig{}, {}, nullptr));
  EmulatorBackend backend(*bus);
  const auto nodes = backend.Enumerate(DeviceSet::kAudioFunctions);
  ASSERT_EQ(nodes.size(), 1u);
  std::uint64_t handle = 0, id = 0;
  ASSERT_EQ(backend.OpenInterface(nodes[0], InterfaceClass::kAudio, &handle), kUsbErrorSuccess);
  ASSERT_EQ(backend.Bind(handle, &id), kUsbErrorSuccess);
  ControlSetup reset{0x40, 0x22, 0, 0, 0};
  EXPECT_EQ(backend.Submit(id, reset, nullptr, 5000).error, kUsbErrorSuccess);
  EXPECT_TRUE(backend.Enumerate(DeviceSet::kAudioFunctions).empty());
  SleepMs(500);
  EXPECT_EQ(backend.Enumerate(DeviceSet::kAudioFunctions).size(), 1u);
  SetClockForTesting(nullptr);
}

TEST(EmulatorBackendTest, OpensAnExistingBusFileOnly) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(OpenEmulatorBackend(dir.File("missing.bus"), &error));
  EXPECT_NE(error.find("missing.bus"), std::string::npos);
  dir.Write("junk.bus", "not a bus");
  EXPECT_FALSE(OpenEmulatorBackend(dir.File("junk.bus"), &error));
  EXPECT_NE(error.find("not a bus file"), std::string::npos);
  {
    auto bus = vcodec::Bus::OpenFile(dir.File("good.bus"), ProgramTimeSource(), true, &error);
    ASSERT_TRUE(bus) << error;
    ASSERT_TRUE(bus->Plug(vcodec::DeviceConfig{}, {}, &error));
  }
  auto backend = OpenEmulatorBackend(dir.File("good.bus"), &error);
  ASSERT_TRUE(backend) << error;
  EXPECT_EQ(backend->Enumerate(DeviceSet::kAudioFunctions).size(), 1u);
}

}  // namespace
