// The EEPROM's write-protect line and its cells: what a write programs and what it leaves.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "emulator/Faults.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

constexpr std::uint8_t kWriteMem = 0x24;
constexpr std::uint8_t kEep16Write = 0x38;

struct RegisterWrite {
  std::uint16_t address;
  std::uint8_t value;
};

TEST(EepromTest, WritesProgramOnlyWhileTheProtectLineIsDrivenLow) {
  struct Case {
    const char* name;
    std::vector<RegisterWrite> writes;
    bool programs;
  };
  const Case cases[] = {
      {"power-up state", {}, false},
      {"first pair drives low", {{0xFEA0, 0x20}}, true},
      {"second pair drives low", {{0xFEA1, 0x02}}, true},
      {"driven high", {{0xFEA0, 0x20}, {0xFEA6, 0x20}}, false},
      {"lifted, then released again", {{0xFEA0, 0x20}, {0xFEA1, 0x02}, {0xFEA0, 0x00}, {0xFEA1, 0x00}}, false},
      {"other bits of the pair", {{0xFEA0, 0xDF}, {0xFEA1, 0xFD}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ManualTime time;
    auto bus = Bus::CreateInMemory(time);
    DeviceConfig config;
    config.memory = MemoryKind::kEeprom16;
    ASSERT_TRUE(bus->Plug(config, {}, nullptr));
    ChipClient chip(*bus, 1);
    for (const RegisterWrite& w : c.writes) ASSERT_EQ(chip.VendorOut(kWriteMem, 0, w.address, {w.value}), 0u);
    // The part acknowledges either way; only the cells tell.
    ASSERT_EQ(chip.VendorOut(kEep16Write, 0, 0x0100, {0x12, 0x34}), 0u);
    const std::vector<std::uint8_t> memory = bus->Memory(1).value();
    EXPECT_EQ(memory[0x0100], c.programs ? 0x12 : 0xFF);
    EXPECT_EQ(memory[0x0101], c.programs ? 0x34 : 0xFF);
  }
}

TEST(EepromTest, UnprotectedBoardAndStuckCells) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  DeviceConfig config;
  config.memory = MemoryKind::kEeprom16;
  config.flashProtected = false;  // WP strapped low: the registers do not matter
  ASSERT_TRUE(bus->Plug(config, {}, nullptr));
  Faults faults;
  faults.stuckBits.push_back({0x0011, 0xF0});
  ASSERT_TRUE(bus->ArmFaults(1, faults));
  ChipClient chip(*bus, 1);
  ASSERT_EQ(chip.VendorOut(kEep16Write, 0, 0x0010, {0x00, 0x00, 0x5A}), 0u);
  const std::vector<std::uint8_t> memory = bus->Memory(1).value();
  EXPECT_EQ(memory[0x0010], 0x00);
  EXPECT_EQ(memory[0x0011], 0xF0);  // the stuck bits kept their value, the others programmed
  EXPECT_EQ(memory[0x0012], 0x5A);
  ASSERT_EQ(chip.VendorOut(kEep16Write, 0, 0x0011, {0xFF}), 0u);
  EXPECT_EQ(bus->Memory(1)->at(0x0011), 0xFF);
}

}  // namespace
