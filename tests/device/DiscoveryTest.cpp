#include "device/DeviceDiscovery.h"

#include "device/KoCamApi.h"
#include "device/StringDescriptor.h"
#include "tests/device/EmulatedBusTest.h"

namespace {

using DiscoveryTest = EmulatedBusTest;

TEST_F(DiscoveryTest, TwoIdenticalDevicesAreEachRelinkedToTheirOwnUsbDevice) {
  vcodec::DeviceConfig a;
  a.port = 1;
  vcodec::DeviceConfig b;
  b.port = 3;
  Plug(a);
  Plug(b);
  std::vector<DeviceListEntry> list;
  ASSERT_EQ(EnumDevices(&list), 0u);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_NE(list[0].devnode, list[1].devnode);
  for (const DeviceListEntry& e : list) {
    EXPECT_EQ(e.instancePrefix, "USB\\VID_3C5E&PID_4C15");
    const std::string usbPath = backend_->Property(e.devnode, NodeProperty::kLocationPath).value_or("?");
    EXPECT_NE(e.locationPath.find(usbPath), std::string::npos) << "relinked to the device at its own port";
    EXPECT_EQ(backend_->InstanceId(e.devnode).value_or("").find("&MI_"), std::string::npos) << "the USB device";
    EXPECT_FALSE(e.name.empty());
  }
  EXPECT_NE(list[0].locationPath, list[1].locationPath);
}

TEST_F(DiscoveryTest, OpenedRecordWalksToTheRootHubAndTakesTheInterfaceNumber) {
  Plug();
  std::vector<DeviceListEntry> list;
  ASSERT_EQ(EnumDevices(&list), 0u);
  ASSERT_EQ(list.size(), 1u);
  const DevNode function = backend_->Enumerate(DeviceSet::kAudioFunctions).at(0);
  backend_->instanceId = [&](DevNode n) -> std::optional<std::string> {
    if (n == function) return "USB\\VID_3C5E&PID_4C15&MI_0A\\7&1&0&0000";
    return std::nullopt;
  };
  DeviceRecord r;
  ASSERT_EQ(OpenDeviceRecord(function, &r), 0u);
  EXPECT_EQ(r.interfaceNumber, 10u) << "MI_ digits are hexadecimal";
  EXPECT_EQ(r.rootHubKind, 3u);
  EXPECT_EQ(r.chainCount, 3u) << "entry 0, the hub, the root hub";
  EXPECT_NE(r.deviceId, 0u);
  CloseDeviceRecord(&r);

  backend_->instanceId = [&](DevNode n) -> std::optional<std::string> {
    if (n == function) return "USB\\VID_3C5E&PID_4C15&MI_0G\\7&1&0&0000";
    return std::nullopt;
  };
  EXPECT_EQ(OpenDeviceRecord(function, &r), kUsbErrorInvalidData);
}

TEST_F(DiscoveryTest, AncestorWalkIsBoundedAndAFailedOpenReleasesTheInterface) {
  Plug();
  std::vector<DeviceListEntry> list;
  ASSERT_EQ(EnumDevices(&list), 0u);
  ASSERT_EQ(list.size(), 1u);
  const DevNode usb = list[0].devnode;
  const DevNode hub = backend_->Parent(usb).value();
  // Grafts `depth` extra hubs (nodes 1000...) between the device and its hub.
  auto graft = [&](int depth) {
    backend_->parent = [=](DevNode n) -> std::optional<std::optional<DevNode>> {
      if (n == usb) return std::optional<DevNode>(depth > 0 ? DevNode{1000} : hub);
      if (n >= 1000 && n < 1000 + static_cast<DevNode>(depth)) {
        return std::optional<DevNode>(n + 1 < 1000 + static_cast<DevNode>(depth) ? n + 1 : hub);
      }
      return std::nullopt;
    };
    backend_->instanceId = [](DevNode n) -> std::optional<std::string> {
      if (n >= 1000) return "USB\\VID_05E3&PID_0610\\" + std::to_string(n);
      return std::nullopt;
    };
  };
  DeviceRecord r;
  graft(7);
  ASSERT_EQ(OpenDeviceRecord(usb, &r), 0u) << "seven hubs deep";
  EXPECT_EQ(r.chainCount, 1u + 7 + 2);
  CloseDeviceRecord(&r);
  graft(29);
  ASSERT_EQ(OpenDeviceRecord(usb, &r), 0u) << "31 ancestors fill the chain exactly";
  EXPECT_EQ(r.chainCount, 32u);
  CloseDeviceRecord(&r);
  graft(30);
  EXPECT_EQ(OpenDeviceRecord(usb, &r), 2u) << "a 32nd ancestor does not fit";
  backend_->parent = nullptr;
  ASSERT_EQ(OpenDeviceRecord(usb, &r), 0u) << "the failed open gave its exclusive interface back";
  CloseDeviceRecord(&r);
}

TEST_F(DiscoveryTest, OnlyADeviceWithBothCommandSetsAndTheVendorUnitIsSelectable) {
  struct Case {
    const char* what;
    vcodec::CommandSets sets;
    vcodec::ExtUnitLayout layout;
    bool selectable;
  };
  const Case cases[] = {
      {"both sets", vcodec::CommandSets::kBoth, vcodec::ExtUnitLayout::kNormal, true},
      {"no vendor signature, qualifying unit", vcodec::CommandSets::kExtUnit, vcodec::ExtUnitLayout::kNormal, false},
      {"vendor set only", vcodec::CommandSets::kVendor, vcodec::ExtUnitLayout::kNormal, false},
      {"no extension unit", vcodec::CommandSets::kBoth, vcodec::ExtUnitLayout::kAbsent, false},
      {"foreign extension code", vcodec::CommandSets::kBoth, vcodec::ExtUnitLayout::kOtherCode, false},
      {"unit behind a standard descriptor", vcodec::CommandSets::kBoth, vcodec::ExtUnitLayout::kAfterStandard, false},
  };
  for (const Case& c : cases) {
    vcodec::DeviceConfig config;
    config.commands = c.sets;
    config.extUnit = c.layout;
    const std::uint32_t port = Plug(config);
    EXPECT_EQ(KoCam_SelectDevice(0) != 0, c.selectable) << c.what;
    (void)KoCam_CloseDevice();
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(DiscoveryTest, SelectingAgainReturnsTheCurrentDeviceUntilItIsClosed) {
  vcodec::DeviceConfig a;
  a.port = 1;
  vcodec::DeviceConfig b;
  b.port = 2;
  Plug(a);
  Plug(b);
  const std::uint32_t first = KoCam_SelectDevice(0);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(KoCam_SelectDevice(1), first);
  EXPECT_EQ(KoCam_GetDevNode(), first);
  (void)KoCam_CloseDevice();
  const std::uint32_t second = KoCam_SelectDevice(1);
  EXPECT_NE(second, 0u);
  EXPECT_NE(second, first);
  (void)KoCam_CloseDevice();
  EXPECT_EQ(KoCam_SelectDevice(2), 0u) << "beyond the list";
  EXPECT_EQ(KoCam_GetDeviceCount(), 2);
}

TEST_F(DiscoveryTest, IdentityComesFromTheDescriptorsAndStrings) {
  Plug();
  Select();
  std::uint16_t vid = 0, pid = 0, rev = 0;
  std::string manufacturer;
  ASSERT_EQ(KoCam_GetDeviceInfo(&vid, &pid, &rev, &manufacturer), 1);
  EXPECT_EQ(vid, 0x3C5E);
  EXPECT_EQ(pid, 0x4C15);
  const auto info = bus_->Info(1);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(manufacturer, info->manufacturer);
  std::string serial;
  ASSERT_EQ(KoCam_GetSerialString(&serial), 1);
  EXPECT_EQ(serial, info->serial);
  std::uint32_t port = 0;
  DevNode parent = 0;
  ASSERT_EQ(GetPortAndParent(KoCam_GetDevNode(), &port, &parent), 0u);
  EXPECT_EQ(port, 1u);
  EXPECT_NE(parent, 0u);
}

TEST_F(DiscoveryTest, ExtensionUnitIsNeverAskedBeforeItIsFoundAndConfirmed) {
  vcodec::DeviceConfig config;
  config.commands = vcodec::CommandSets::kExtUnit;
  config.extUnit = vcodec::ExtUnitLayout::kOtherCode;
  Plug(config);
  const DevNode function = backend_->Enumerate(DeviceSet::kAudioFunctions).at(0);
  DeviceRecord r;
  ASSERT_EQ(OpenDeviceRecord(function, &r), 0u);
  for (const auto& t : Log()) {
    EXPECT_FALSE(IsCommand(t) && t.data.size() == 8 && t.data[1] == 0xC2) << "no chip-code read through a unit";
  }
  CloseDeviceRecord(&r);
}

TEST_F(DiscoveryTest, NotReadyAfterBindingIsRetriedABoundedNumberOfTimes) {
  Plug();
  std::vector<DeviceListEntry> list;
  ASSERT_EQ(EnumDevices(&list), 0u);
  int descriptorReads = 0;
  backend_->rewrite = [&](const ControlSetup& s, std::uint8_t*, TransferResult& r) {
    if (s.request == 0x06 && s.value == 0x0100) {
      ++descriptorReads;
      r = {kUsbErrorNotReady, 0};
    }
  };
  DeviceRecord r;
  std::uint32_t waited = 0;
  EXPECT_EQ(OpenDeviceRecord(list[0].devnode, &r, &waited), 0u) << "the open itself succeeds";
  EXPECT_EQ(descriptorReads, 25);
  EXPECT_EQ(waited, 25u * 200) << "reported, so that a reset counts it against its budget";
  CloseDeviceRecord(&r);
}

TEST_F(DiscoveryTest, ShortDescriptorsFailTheProbeAndKeepTheOldCapabilities) {
  Plug();
  std::vector<DeviceListEntry> list;
  ASSERT_EQ(EnumDevices(&list), 0u);
  DeviceRecord r;
  ASSERT_EQ(OpenDeviceRecord(list[0].devnode, &r), 0u);
  ASSERT_TRUE(ProbeDevice(&r, false));
  const DeviceCaps* before = r.caps.get();
  ASSERT_TRUE(before->usable);
  for (std::uint16_t descriptor : {0x0100, 0x0200}) {
    backend_->rewrite = [&](const ControlSetup& s, std::uint8_t*, TransferResult& t) {
      if (s.request == 0x06 && s.value == descriptor && t.transferred > 4) t.transferred -= 1;
    };
    EXPECT_FALSE(ProbeDevice(&r, true)) << std::hex << descriptor;
    EXPECT_EQ(r.caps.get(), before) << std::hex << descriptor;
  }
  backend_->rewrite = nullptr;
  EXPECT_TRUE(ProbeDevice(&r, true));
  CloseDeviceRecord(&r);
}

TEST_F(DiscoveryTest, StringIndexZeroIsAnEmptyTextWithoutARequest) {
  Plug();
  Select();
  std::string text = "stale";
  EXPECT_TRUE(ReadStringDescriptor(KoCam_GetCurrentRecord()->deviceId, 0, &text));
  EXPECT_EQ(text, "");
  EXPECT_TRUE(Log().empty());
}

}  // namespace
