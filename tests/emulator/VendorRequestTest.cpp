// Vendor requests: argument packing, what the chip refuses, and the command sets a device offers.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "emulator/Descriptors.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

TEST(VendorRequestTest, PackingAndRefusals) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  DeviceConfig config;
  config.flashProtected = false;
  config.memorySize = 0x200000;
  ASSERT_TRUE(bus->Plug(config, {}, nullptr));
  ChipClient c(*bus, 1);
  // Address bits 16..19 travel in wValue bits 8..11: a flash write at 0x023456, read back.
  time.Advance(100);
  ASSERT_EQ(c.VendorOut(0x2F, 0x0200, 0x3456, {0x12, 0x34}), 0u);
  EXPECT_EQ(bus->Memory(1)->at(0x023456), 0x12);
  EXPECT_EQ(bus->Memory(1)->at(0x023457), 0x34);
  const Reply r = c.VendorIn(0x2E, 0x0200, 0x3456, 2);  // option byte 0 in the low byte
  ASSERT_EQ(r.error, 0u);
  EXPECT_EQ(r.data, (std::vector<std::uint8_t>{0x12, 0x34}));
  EXPECT_EQ(c.VendorIn(0x25, 0, 0xFE21, 2).data, (std::vector<std::uint8_t>{0x10, 0xB0}));

  struct Refused {
    const char* what;
    std::uint8_t type, request;
    std::uint16_t value, index, length;
  };
  const Refused cases[] = {
      {"unknown request", 0xC0, 0x7E, 0, 0, 1},
      {"read sent as a write", 0x40, 0x25, 0, 0xFE21, 2},
      {"write sent as a read", 0xC0, 0x24, 0, 0xFE21, 2},
      {"more than the chip's 4 KiB buffer", 0xC0, 0x25, 0, 0, 4097},
      {"count bits above 16 set", 0xC0, 0x27, 0x1000, 0, 0x10},
      {"memory read past 64 KiB", 0xC0, 0x25, 0, 0xFFFF, 2},
      {"EEPROM read on a flash chip", 0xC0, 0x35, 0, 0, 8},
      {"status block of 4 bytes", 0xC0, 0x07, 0, 0, 4},
      {"reset with a data phase", 0x40, 0x22, 0, 0, 2},
      {"legacy command of an unknown kind", 0x40, 0x01, 0, 3, 0},
      {"request to the interface", 0xC1, 0x25, 0, 0xFE21, 2},
  };
  for (const Refused& x : cases) {
    SCOPED_TRACE(x.what);
    EXPECT_EQ(c.Control(x.type, x.request, x.value, x.index, {}, x.length).error, kUsbErrorGenFailure);
  }
  EXPECT_EQ(bus->Info(1)->connected, true);
}

TEST(VendorRequestTest, CommandSetsOnOffer) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  DeviceConfig vendorOnly, unitOnly;
  vendorOnly.port = 1;
  vendorOnly.commands = CommandSets::kVendor;
  unitOnly.port = 2;
  unitOnly.commands = CommandSets::kExtUnit;
  ASSERT_TRUE(bus->Plug(vendorOnly, {}, nullptr));
  ASSERT_TRUE(bus->Plug(unitOnly, {}, nullptr));
  ChipClient v(*bus, 1), u(*bus, 2);
  auto hasUnit = [](ChipClient& c) {
    const Reply d = c.Control(0x80, 0x06, 0x0200, 0, {}, 512);
    for (std::size_t i = 0; i + 5 < d.data.size() && d.data[i] != 0; i += d.data[i]) {
      if (d.data[i + 1] == 0x24 && d.data[i + 2] == 8 && d.data[i + 4] == 0x5E && d.data[i + 5] == 0x3C) return true;
    }
    return false;
  };
  EXPECT_FALSE(hasUnit(v));
  EXPECT_TRUE(hasUnit(u));
  EXPECT_EQ(v.VendorIn(0x07, 3, 0, 8).error, 0u);
  EXPECT_EQ(v.Command(Block(0x00, 0xCD, 3, 8)), kUsbErrorGenFailure);
  EXPECT_EQ(u.VendorIn(0x07, 3, 0, 8).error, kUsbErrorGenFailure);
  EXPECT_EQ(u.VendorIn(0x06, 0, 0, 1).error, kUsbErrorGenFailure);
  EXPECT_EQ(u.Command(Block(0x00, 0xCD, 3, 8)), 0u);

  // A legacy chip: the extension unit, and of the vendor requests only the read byte and
  // the command (which carries the reset kind in wIndex).
  DeviceConfig legacy;
  legacy.port = 3;
  legacy.commands = CommandSets::kLegacy;
  ASSERT_TRUE(bus->Plug(legacy, {}, nullptr));
  ChipClient l(*bus, 3);
  EXPECT_TRUE(hasUnit(l));
  EXPECT_EQ(l.VendorIn(0x07, 3, 0, 8).error, kUsbErrorGenFailure);
  EXPECT_EQ(l.VendorIn(0x06, 0, 0, 1).data, std::vector<std::uint8_t>{0});  // ROM code
  EXPECT_EQ(l.VendorIn(0x06, 1, 0, 1).error, 0u);  // the reset wait passes its mode in wValue
  EXPECT_EQ(l.VendorIn(0x06, 0, 0, 2).error, kUsbErrorGenFailure);
  EXPECT_EQ(l.VendorOut(0x01, 0, 9, {}), 0u);
  EXPECT_EQ(bus->Enumerate(DeviceSet::kAudioFunctions).size(), 2u);  // port 3 is resetting
}

TEST(VendorRequestTest, EepromWidthsAndTagByte) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  DeviceConfig config;
  config.memory = MemoryKind::kEeprom8;
  config.flashProtected = false;  // WP strapped low
  ASSERT_TRUE(bus->Plug(config, {}, nullptr));
  ChipClient c(*bus, 1);
  EXPECT_EQ(c.VendorOut(0x38, 0, 0, {1}), kUsbErrorGenFailure);  // 16-bit addressing: no answer
  ASSERT_EQ(c.VendorOut(0x36, 0, 0x10, {0xAB, 0xCD}), 0u);
  EXPECT_EQ(c.VendorIn(0x35, 0, 0x10, 2).data, (std::vector<std::uint8_t>{0xAB, 0xCD}));
  EXPECT_EQ(c.VendorIn(0x35, 0, 0x7FF, 2).error, kUsbErrorGenFailure);  // past 2 KiB
  // EEPROM cells are rewritten, not ANDed.
  ASSERT_EQ(c.VendorOut(0x36, 0, 0x10, {0xFF}), 0u);
  EXPECT_EQ(bus->Memory(1)->at(0x10), 0xFF);
}

}  // namespace
