#include "device/ProxyChannel.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "device/UsbRequests.h"
#include "device/usb/UsbBackendSelect.h"
#include "emulator/Bus.h"
#include "device/usb/EmulatorBackend.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ProxyChannelTest, ClosedChannelFailsEveryCallWithPathNotFound) {
  (void)CloseProxy();
  std::uint64_t id = 7;
  EXPECT_FALSE(ProxyBind(1, &id));
  EXPECT_EQ(id, 0u);
  EXPECT_EQ(ProxyLastError(), kUsbErrorPathNotFound);
  std::uint8_t d[18];
  SetProxyLastError(0);
  EXPECT_FALSE(GetDeviceDescriptor(1, d));
  EXPECT_EQ(ProxyLastError(), kUsbErrorPathNotFound);
  EXPECT_EQ(ProxyDeviceTree(), nullptr);
}

TEST(UsbBackendSelectTest, EmulatorVariableSelectsTheBusFileItNames) {
  TempDir dir;
  const std::string path = dir.File("bus");
  std::string error;
  {
    auto bus = vcodec::Bus::OpenFile(path, ProgramTimeSource(), true, &error);
    ASSERT_TRUE(bus) << error;
    ASSERT_TRUE(bus->Plug({}, {}, &error).has_value()) << error;
  }
  setenv(kEmulatorEnvironmentVariable, path.c_str(), 1);
  std::unique_ptr<UsbBackend> backend = SelectUsbBackend(&error);
  ASSERT_TRUE(backend) << error;
  EXPECT_EQ(backend->Enumerate(DeviceSet::kAudioFunctions).size(), 1u);
  backend.reset();

  setenv(kEmulatorEnvironmentVariable, dir.File("missing").c_str(), 1);
  error.clear();
  EXPECT_FALSE(SelectUsbBackend(&error));
  EXPECT_FALSE(error.empty());
  unsetenv(kEmulatorEnvironmentVariable);
}

}  // namespace
