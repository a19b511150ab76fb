#include "device/usb/LibusbBackend.h"

#include <libusb.h>

#include <gtest/gtest.h>

#include "device/DeviceDiscovery.h"
#include "device/usb/LibusbErrors.h"
#include "device/usb/LibusbNaming.h"

namespace {

// The machine's own bus: whatever is (or is not) plugged in, listing works or libusb says why
// it cannot start.
TEST(LibusbBackendTest, ListsTheMachinesDevicesOrSaysWhyNot) {
  std::string error;
  std::unique_ptr<UsbBackend> backend = OpenLibusbBackend(&error);
  if (!backend) {
    EXPECT_FALSE(error.empty());
    GTEST_SKIP() << "no USB subsystem here: " << error;
  }
  for (DevNode n : backend->Enumerate(DeviceSet::kAudioFunctions)) {
    const std::string id = backend->InstanceId(n).value_or("");
    EXPECT_NE(id.find("&MI_"), std::string::npos) << id;
    EXPECT_TRUE(backend->Parent(n).has_value());
  }
  for (DevNode n : backend->Enumerate(DeviceSet::kUsbDevices)) {
    EXPECT_EQ(backend->InstanceId(n).value_or("").rfind("USB\\VID_", 0), 0u);
  }
}

TEST(LibusbErrorsTest, MapOntoThePlatformErrorsTheDeviceLayerTellsApart) {
  struct Case {
    int libusb;
    std::uint32_t platform;
  };
  const Case cases[] = {
      {LIBUSB_SUCCESS, kUsbErrorSuccess},          {LIBUSB_ERROR_NO_DEVICE, kUsbErrorDeviceNotConnected},
      {LIBUSB_ERROR_TIMEOUT, kUsbErrorTimeout},    {LIBUSB_ERROR_ACCESS, kUsbErrorAccessDenied},
      {LIBUSB_ERROR_BUSY, kUsbErrorAccessDenied},     {LIBUSB_ERROR_PIPE, kUsbErrorGenFailure},
      {LIBUSB_ERROR_IO, kUsbErrorGenFailure},      {LIBUSB_ERROR_OVERFLOW, kUsbErrorGenFailure},
      {LIBUSB_ERROR_NOT_FOUND, kUsbErrorNotFound},
  };
  for (const Case& c : cases) EXPECT_EQ(LibusbErrorToPlatform(c.libusb), c.platform) << c.libusb;
}

TEST(LibusbNamingTest, NamesFollowBusAndPorts) {
  const UsbPortPath path{2, {1, 4}};
  EXPECT_EQ(LibusbDeviceInstanceId(0x3C5E, 0x4C15, path), "USB\\VID_3C5E&PID_4C15\\2&1.4");
  EXPECT_EQ(LibusbFunctionInstanceId(0x3C5E, 0x4C15, 0x0A, path), "USB\\VID_3C5E&PID_4C15&MI_0A\\2&1.4&000A");
  EXPECT_EQ(LibusbRootHubInstanceId(2, true), "USB\\ROOT_HUB30\\2");
  EXPECT_EQ(LibusbRootHubInstanceId(1, false), "USB\\ROOT_HUB20\\1");
  EXPECT_EQ(LibusbLocationPath(path), "USBROOT(2)#USB(1)#USB(4)");
  EXPECT_EQ(LibusbFunctionLocationPath(path, 2), "USBROOT(2)#USB(1)#USB(4)#USBMI(2)");
  EXPECT_EQ(LibusbPhysicalObjectName(2, 17), "\\Device\\USBPDO-2-17");
}

DeviceRecord RecordAt(const UsbPortPath& path, std::uint8_t iface) {
  DeviceRecord r;
  r.typeTag = kUsbRecordTag;
  r.chainCount = static_cast<std::uint32_t>(path.ports.size()) + 1;
  r.locationPath = LibusbFunctionLocationPath(path, iface);
  return r;
}

// A codec that re-enumerates gets a new device address (so a new object name) but keeps its bus
// and ports: the location rules must see the same place, and only that place.
TEST(LibusbNamingTest, DeviceBackOnTheSamePortMatchesAndNoOtherPortDoes) {
  SetLearnedCompanionPort(0);
  const UsbPortPath before{3, {2, 1}};
  EXPECT_NE(LibusbPhysicalObjectName(3, 9), LibusbPhysicalObjectName(3, 10));
  EXPECT_TRUE(SameDeviceLocation(RecordAt(before, 0), RecordAt(before, 0), false));
  EXPECT_TRUE(SameDeviceLocation(RecordAt({3, {2, 1}}, 2), RecordAt(before, 0), false)) << "interface part ignored";
  EXPECT_FALSE(SameDeviceLocation(RecordAt({3, {2, 2}}, 0), RecordAt(before, 0), false)) << "another hub port";
  EXPECT_FALSE(SameDeviceLocation(RecordAt({4, {2, 1}}, 0), RecordAt(before, 0), false)) << "another bus";
  EXPECT_FALSE(SameDeviceLocation(RecordAt({3, {2}}, 0), RecordAt(before, 0), false)) << "another depth";
}

}  // namespace
