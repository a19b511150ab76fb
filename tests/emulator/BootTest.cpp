// What the chip boots after a reset, and the identity it then presents.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"
#include "tests/emulator/TestImage.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

struct BootCase {
  const char* what;
  std::uint16_t chipId;
  ImageRecipe recipe;
  bool boots;
};

ImageRecipe Recipe(std::size_t areaAt, bool tag) {
  ImageRecipe s;
  s.areaAt = areaAt;
  s.tag = tag;
  return s;
}

TEST(BootTest, FlashBootRulePerFamily) {
  const ImageRecipe small = SmallImageRecipe(0x55);
  const BootCase cases[] = {
      {"mode-register chip, area at 0xF000, no tag", 0xB010, Recipe(0xF000, false), true},
      {"legacy chip, area at 0xF000, tagged", 0x0000, Recipe(0xF000, true), true},
      {"legacy chip, area at 0xF000, no tag", 0x0000, Recipe(0xF000, false), false},
      {"legacy chip, area at offset 0", 0x7011, Recipe(0, false), true},
      {"mode-register chip, 16 KiB image with its area at 0", 0xD011, small, true},
  };
  for (const BootCase& c : cases) {
    SCOPED_TRACE(c.what);
    ManualTime time;
    auto bus = Bus::CreateInMemory(time);
    DeviceConfig config;
    config.model = c.chipId == 0x7011 || c.chipId == 0 ? ChipModel::kVXQ61 : ChipModel::kVXQ62;
    config.chipId = c.chipId;
    ImageRecipe recipe = c.recipe;
    if (config.model == ChipModel::kVXQ61 && recipe.areaAt == 0xF000) recipe.areaAt = 0xAE00;
    const auto port = bus->Plug(config, {}, nullptr);
    ASSERT_TRUE(port);
    ASSERT_TRUE(bus->WriteMemory(*port, 0, BuildImage(recipe)));
    {
      ChipClient client(*bus, *port);
      ASSERT_EQ(client.Command(Block(0x00, 0x09)), 0u);  // the reset into new code
    }
    time.Advance(500);
    const auto info = bus->Info(*port);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->connected);
    EXPECT_EQ(info->firmware, c.boots);
    if (c.boots) {
      EXPECT_EQ(info->version, "1.234.0102-0304.0506");
      EXPECT_EQ(info->serial, "SN0001");
      EXPECT_EQ(info->product, "Studio Codec");
      EXPECT_EQ(info->rev, 0x0102);
    } else {
      EXPECT_EQ(info->serial, "");
      EXPECT_EQ(info->rev, 0x0000);
    }
  }
}

TEST(BootTest, ResetToUpdateCodeStaysInRomAndStringsComeFromTheImage) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  ImageRecipe recipe;
  recipe.serial = "STAMPED-42";
  const auto port = bus->Plug(DeviceConfig{}, BuildImage(recipe), nullptr);
  ASSERT_TRUE(port);
  EXPECT_TRUE(bus->Info(*port)->firmware);
  {
    ChipClient client(*bus, *port);
    // Serial-number string as the host reads it: string descriptor 3, UTF-16.
    const Reply s = client.Control(0x80, 0x06, 0x0303, 0x0409, {}, 255);
    ASSERT_EQ(s.error, 0u);
    ASSERT_EQ(s.data.size(), 2u + 2 * 10);
    EXPECT_EQ(s.data[2], 'S');
    EXPECT_EQ(s.data[3], 0);
    EXPECT_EQ(client.Command(Block(0x00, 0x07, 1)), 0u);
  }
  time.Advance(500);
  const auto info = bus->Info(*port);
  EXPECT_FALSE(info->firmware);
  EXPECT_EQ(info->serial, "");
  // The ROM code's own version text (kind 0 of the status record).
  EXPECT_EQ(info->version, "0x10-6200-0001");
}

TEST(BootTest, EepromBootsOnItsTagByte) {
  for (const bool tagged : {true, false}) {
    SCOPED_TRACE(tagged);
    ManualTime time;
    auto bus = Bus::CreateInMemory(time);
    DeviceConfig config;
    config.memory = MemoryKind::kEeprom16;
    ImageRecipe recipe = SmallImageRecipe(0x12);
    std::vector<std::uint8_t> image = BuildImage(recipe);
    const auto port = bus->Plug(config, {}, nullptr);
    if (!tagged) image[1] = 0xFF;  // the flow writes the tag byte last
    ASSERT_TRUE(bus->WriteMemory(*port, 0, image));
    ASSERT_TRUE(bus->Replug(*port));
    const auto info = bus->Info(*port);
    EXPECT_EQ(info->firmware, tagged);
    EXPECT_EQ(info->version, tagged ? "1.234.0102-0304.0506" : "0x10-6200-0001");
  }
}

TEST(BootTest, StatusRecordCarriesSignatureAndVersion) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  const auto port = bus->Plug(DeviceConfig{}, BuildImage(ImageRecipe{}), nullptr);
  ChipClient client(*bus, *port);
  std::vector<std::uint8_t> record;
  for (std::uint16_t block = 0; block < 13; ++block) {
    const Reply r = client.VendorIn(0x07, block, 0, 8);
    ASSERT_EQ(r.error, 0u);
    record.insert(record.end(), r.data.begin(), r.data.end());
  }
  ASSERT_EQ(record.size(), 104u);
  EXPECT_EQ(std::string(record.begin() + 24, record.begin() + 31), "NOVIKEN");
  EXPECT_EQ(record[31], 0);
  EXPECT_EQ(record[64], 0x31);
  EXPECT_EQ(record[79], 0x12);
  EXPECT_EQ(record[78], 0x34);
  // The mode byte of a mode-register chip running from flash.
  EXPECT_EQ(client.VendorIn(0x25, 0, 0xC2A8, 1).data, std::vector<std::uint8_t>{0x08});
  // A vendor status read of 4 bytes is refused.
  EXPECT_EQ(client.VendorIn(0x07, 0, 0, 4).error, kUsbErrorGenFailure);
}

}  // namespace
