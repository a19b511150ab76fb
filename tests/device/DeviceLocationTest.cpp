#include <gtest/gtest.h>

#include "device/DeviceDiscovery.h"

namespace {

class SameLocationPathTest : public testing::Test {
 protected:
  void TearDown() override { SetLearnedCompanionPort(0); }
};

TEST_F(SameLocationPathTest, ComparesFromTheRootMarkerWithoutTheInterfacePart) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  };
  const Case cases[] = {
      {"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)#USBMI(0)", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)#USBMI(2)", true},
      {"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)", "PCIROOT(1)#PCI(0800)#USBROOT(0)#USB(3)", true},
      {"PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)", "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(4)", false},
      {"ACPI(_SB_)#RHUB#PRT1", "ACPI(_SB_)#RHUB#PRT1", true},
      {"ACPI(_SB_)#RHUB#PRT1", "ACPI(_SB_)#RHUB#PRT2", false},
      {"PCIROOT(0)#PCI(1400)", "PCIROOT(0)#PCI(1400)", false},
      {"", "", false},
  };
  for (const Case& c : cases) EXPECT_EQ(SameLocationPath(c.a, c.b), c.same) << c.a << " / " << c.b;
}

TEST_F(SameLocationPathTest, OtherHalfOfAPortMatchesOnlyThroughTheLearnedCompanion) {
  const std::string port3 = "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)";
  const std::string port4 = "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(4)";
  for (std::uint8_t companion : {3, 4}) {
    SetLearnedCompanionPort(companion);
    EXPECT_TRUE(SameLocationPath(port3, port4)) << int{companion};
  }
  SetLearnedCompanionPort(7);
  EXPECT_FALSE(SameLocationPath(port3, port4));
  SetLearnedCompanionPort(3);
  EXPECT_FALSE(SameLocationPath(port3 + "#USB(1)", port4 + "#USB(2)")) << "the rest after the port must agree";
  EXPECT_FALSE(SameLocationPath("PCIROOT(0)#USBROOT(0)#USB()", "PCIROOT(0)#USBROOT(0)#USB(3)")) << "empty port";
}

TEST_F(SameLocationPathTest, RecordsCompareChainCountsAndOnRequestTheChains) {
  DeviceRecord a;
  a.chainCount = 3;
  a.chain = {0, 11, 12};
  a.locationPath = "USBROOT(0)#USB(1)";
  DeviceRecord b;
  b.chainCount = 3;
  b.chain = {0, 11, 13};
  b.locationPath = "USBROOT(0)#USB(1)";
  EXPECT_TRUE(SameDeviceLocation(a, b, false));
  EXPECT_FALSE(SameDeviceLocation(a, b, true));
  b.chain[2] = 12;
  EXPECT_TRUE(SameDeviceLocation(a, b, true));
  b.chainCount = 2;
  EXPECT_FALSE(SameDeviceLocation(a, b, false));
}

}  // namespace
