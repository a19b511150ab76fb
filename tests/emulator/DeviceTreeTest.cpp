// The device tree the bus presents, and re-enumeration after a reset.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "emulator/Bus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

class DeviceTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_ = Bus::CreateInMemory(time_);
    DeviceConfig config;
    config.port = 4;
    ASSERT_TRUE(bus_->Plug(config, {}, nullptr));
  }

  DevNode Function() {
    const auto nodes = bus_->Enumerate(DeviceSet::kAudioFunctions);
    return nodes.size() == 1 ? nodes[0] : 0;
  }

  ManualTime time_;
  std::unique_ptr<Bus> bus_;
};

TEST_F(DeviceTreeTest, FunctionSitsUnderItsUsbDeviceHubAndRootHub) {
  const DevNode function = Function();
  ASSERT_NE(function, 0u);
  EXPECT_EQ(bus_->Property(function, NodeProperty::kClassName), "MEDIA");
  const std::string id = *bus_->InstanceId(function);
  EXPECT_EQ(id.rfind("USB\\VID_3C5E&PID_4C15&MI_00\\", 0), 0u) << id;
  EXPECT_EQ(bus_->Property(function, NodeProperty::kLocationPath),
            "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USB(4)#USBMI(0)");
  const DevNode device = *bus_->Parent(function);
  EXPECT_EQ(bus_->Property(device, NodeProperty::kClassName), "USB");
  EXPECT_EQ(bus_->InstanceId(device)->rfind("USB\\VID_3C5E&PID_4C15\\", 0), 0u);
  EXPECT_EQ(bus_->BusAddress(device), 4u);
  EXPECT_EQ(bus_->Property(device, NodeProperty::kPhysicalObjectName)->rfind("\\Device\\USBPDO-", 0), 0u);
  const DevNode hub = *bus_->Parent(device);
  EXPECT_EQ(bus_->BusAddress(hub), 2u);
  const DevNode root = *bus_->Parent(hub);
  EXPECT_NE(bus_->InstanceId(root)->find("ROOT_HUB30"), std::string::npos);
  EXPECT_EQ(bus_->CompanionPort(root, 2), 5);
  ASSERT_TRUE(bus_->Parent(root));
  EXPECT_FALSE(bus_->Parent(*bus_->Parent(root)));
  // The USB device node is in the USB device set; the function is not.
  const auto usb = bus_->Enumerate(DeviceSet::kUsbDevices);
  EXPECT_NE(std::find(usb.begin(), usb.end(), device), usb.end());
  EXPECT_EQ(std::find(usb.begin(), usb.end(), function), usb.end());
  // Exclusive open; the function has no USB device interface.
  std::uint64_t h1 = 0, h2 = 0;
  EXPECT_EQ(bus_->OpenInterface(function, InterfaceClass::kAudio, &h1), kUsbErrorSuccess);
  EXPECT_EQ(bus_->OpenInterface(function, InterfaceClass::kAudio, &h2), kUsbErrorAccessDenied);
  EXPECT_EQ(bus_->OpenInterface(function, InterfaceClass::kUsbDevice, &h2), kUsbErrorNotFound);
}

TEST_F(DeviceTreeTest, ResetLeavesAndComesBackAsNewNodesOnTheSamePort) {
  const DevNode before = Function();
  const std::string path = *bus_->Property(before, NodeProperty::kLocationPath);
  std::atomic<int> changes{0};
  bus_->SetChangeListener([&] { ++changes; });
  ChipClient client(*bus_, 4);
  ASSERT_EQ(client.Command(Block(0x00, 0x07, 1)), 0u);
  // Gone: every transfer fails, the nodes no longer exist.
  EXPECT_EQ(client.Command(Block(0x00, 0xC2, 0, 2)), kUsbErrorDeviceNotConnected);
  EXPECT_TRUE(bus_->Enumerate(DeviceSet::kAudioFunctions).empty());
  EXPECT_FALSE(bus_->InstanceId(before));
  time_.Advance(499);
  EXPECT_EQ(Function(), 0u);
  time_.Advance(1);
  const DevNode after = Function();
  ASSERT_NE(after, 0u);
  EXPECT_NE(after, before);
  EXPECT_EQ(bus_->Property(after, NodeProperty::kLocationPath), path);
  EXPECT_EQ(changes.load(), 2);
  bus_->SetChangeListener({});
  // The old binding still names the device that left.
  EXPECT_EQ(client.Command(Block(0x00, 0xC2, 0, 2)), kUsbErrorDeviceNotConnected);
  ChipClient again(*bus_, 4);
  EXPECT_EQ(again.Command(Block(0x00, 0xC2, 0, 2)), 0u);
}

TEST_F(DeviceTreeTest, ListenerHearsOfAReturnWithoutBeingAsked) {
  std::atomic<int> changes{0};
  bus_->SetChangeListener([&] { ++changes; });
  {
    ChipClient client(*bus_, 4);
    ASSERT_EQ(client.Command(Block(0x00, 0x09)), 0u);
  }
  EXPECT_EQ(changes.load(), 1);
  time_.Advance(500);
  // Nothing is called on the bus now: the watcher has to notice the return by itself.
  for (int i = 0; i < 500 && changes.load() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(changes.load(), 2);
  bus_->SetChangeListener({});
}

TEST(DeviceTreeCompanion, ComesBackOnTheCompanionPortWhenAsked) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  DeviceConfig config;
  config.port = 1;
  config.hasCompanion = true;
  config.chipId = 0x1010;
  ASSERT_TRUE(bus->Plug(config, {}, nullptr));
  Faults faults;
  faults.returnOnCompanion = true;
  faults.slowReturnMs = 3000;
  ASSERT_TRUE(bus->ArmFaults(1, faults));
  {
    ChipClient client(*bus, 1);
    ASSERT_EQ(client.VendorOut(0x22, 0, 0, {}), 0u);
  }
  time.Advance(3499);
  EXPECT_TRUE(bus->Enumerate(DeviceSet::kAudioFunctions).empty());
  time.Advance(1);
  const auto nodes = bus->Enumerate(DeviceSet::kAudioFunctions);
  ASSERT_EQ(nodes.size(), 1u);
  EXPECT_EQ(bus->Property(nodes[0], NodeProperty::kLocationPath),
            "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(5)#USB(1)#USBMI(0)");
}

}  // namespace
