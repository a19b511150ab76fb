// The configuration descriptor variants as a host's extension-unit search sees them.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

// The host's rule: class-specific descriptors right after the first interface descriptor,
// subtype 8 or 9, extension code 0x3C5E; -1 when there is none.
int FindUnit(const std::vector<std::uint8_t>& d) {
  std::size_t at = 0;
  while (at + 1 < d.size() && d[at] != 0 && d[at + 1] != 4) at += d[at];
  if (at + 1 >= d.size() || d[at] == 0) return -1;
  for (at += d[at]; at + 5 < d.size() && d[at] != 0 && d[at + 1] == 0x24; at += d[at]) {
    if ((d[at + 2] == 8 || d[at + 2] == 9) && (d[at + 4] | (d[at + 5] << 8)) == 0x3C5E) return d[at + 3];
  }
  return -1;
}

TEST(DescriptorTest, ExtensionUnitLayouts) {
  const std::pair<ExtUnitLayout, int> cases[] = {{ExtUnitLayout::kNormal, 6},
                                                 {ExtUnitLayout::kAbsent, -1},
                                                 {ExtUnitLayout::kOtherCode, -1},
                                                 {ExtUnitLayout::kAfterStandard, -1}};
  for (const auto& [layout, unit] : cases) {
    SCOPED_TRACE(static_cast<int>(layout));
    ManualTime time;
    auto bus = Bus::CreateInMemory(time);
    DeviceConfig config;
    config.extUnit = layout;
    ASSERT_TRUE(bus->Plug(config, {}, nullptr));
    ChipClient c(*bus, 1);
    const Reply header = c.Control(0x80, 0x06, 0x0200, 0, {}, 9);
    ASSERT_EQ(header.data.size(), 9u);
    const std::uint16_t total = header.data[2] | (header.data[3] << 8);
    const Reply full = c.Control(0x80, 0x06, 0x0200, 0, {}, total);
    ASSERT_EQ(full.data.size(), total);
    EXPECT_EQ(FindUnit(full.data), unit);
    // The device descriptor: 18 bytes, the identity at 8, 10, 12, string indexes at 14..16.
    const Reply dev = c.Control(0x80, 0x06, 0x0100, 0, {}, 18);
    ASSERT_EQ(dev.data.size(), 18u);
    EXPECT_EQ(dev.data[8] | (dev.data[9] << 8), 0x3C5E);
    EXPECT_EQ(dev.data[10] | (dev.data[11] << 8), 0x4C15);
    EXPECT_EQ(dev.data[16], 0);  // the ROM code has no serial number
    EXPECT_EQ(c.Control(0x80, 0x06, 0x0303, 0x0409, {}, 255).error, kUsbErrorGenFailure);
  }
}

}  // namespace
