// A whole update as a host performs it over the extension unit, and what the chip makes of it.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"
#include "tests/emulator/TestImage.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

struct FlowCase {
  const char* what;
  ChipModel model;
  std::uint16_t chipId;
  std::uint16_t wpA, wpB;  // the family's write-protect register pair
  bool writeTag;
};

TEST(FlowTest, ProgrammedFlashBootsTheNewImageWithItsStampedSerial) {
  const FlowCase cases[] = {
      {"legacy VXQ61, tag written", ChipModel::kVXQ61, 0x0000, 0xFEA0, 0xFEA6, true},
      {"legacy VXQ61, tag forgotten", ChipModel::kVXQ61, 0x0000, 0xFEA0, 0xFEA6, false},
      {"VXQ65 with mode register, no tag", ChipModel::kVXQ65, 0xD011, 0xFEC0, 0xFEC6, false},
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.what);
    ManualTime time;
    auto bus = Bus::CreateInMemory(time);
    DeviceConfig config;
    config.model = c.model;
    config.chipId = c.chipId;
    ASSERT_TRUE(bus->Plug(config, {}, nullptr));
    ImageRecipe recipe;
    recipe.areaAt = c.model == ChipModel::kVXQ61 ? 0xAE00 : 0xF000;
    recipe.serial = "STAMP-0099";
    const std::vector<std::uint8_t> image = BuildImage(recipe);
    {
      ChipClient host(*bus, 1);
      // Lift protection: both register bits set, then clear the flash status register.
      for (std::uint16_t reg : {c.wpA, c.wpB}) {
        const Reply v = host.Read(Block(0x00, 0xC2, reg, 1), 1);
        ASSERT_EQ(v.error, 0u);
        ASSERT_EQ(host.Write(Block(0x00, 0x82, reg, 1), {static_cast<std::uint8_t>(v.data[0] | 1)}), 0u);
      }
      ASSERT_EQ(host.Write(Block(0x02, 0x83, 0, 1), {0x00}), 0u);
      time.Advance(50);
      ASSERT_EQ(host.Read(Block(0x02, 0xC3, 0, 1), 1).data.at(0) & 0x01, 0);
      ASSERT_EQ(host.Command(Block(0x02, 0x04)), 0u);
      // 64-byte units, commands of 0x8000 bytes.
      ASSERT_EQ(host.Command(Block(0x00, 0x16, 0, 64)), 0u);
      for (std::uint32_t at = 0; at < image.size(); at += 0x8000) {
        const std::vector<std::uint8_t> piece(image.begin() + at, image.begin() + at + 0x8000);
        ASSERT_EQ(host.Write(Block(0x02, 0x82, static_cast<std::uint16_t>(at), 0x8000,
                                   static_cast<std::uint16_t>(at >> 16)), piece, 64), 0u);
      }
      if (c.writeTag) {
        ASSERT_EQ(host.Command(Block(0x02, 0x13)), 0u);
      }
      ASSERT_EQ(host.Command(Block(0x00, 0x09)), 0u);
    }
    time.Advance(500);
    const auto info = bus->Info(1);
    ASSERT_TRUE(info);
    const bool boots = c.writeTag || c.chipId == 0xD011;
    EXPECT_EQ(info->firmware, boots);
    EXPECT_EQ(info->serial, boots ? "STAMP-0099" : "");
    if (boots) {
      EXPECT_EQ(info->version, "1.234.0102-0304.0506");
    }
    const std::vector<std::uint8_t> mem = *bus->Memory(1);
    EXPECT_TRUE(std::equal(image.begin(), image.begin() + 0xEFFE, mem.begin()));
    EXPECT_EQ(mem[0xEFFE], c.writeTag ? 0x55 : 0xFF);
  }
}

}  // namespace
