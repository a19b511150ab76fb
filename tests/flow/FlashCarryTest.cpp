// What a flash download keeps from the chip: the "P" record and the sector at 0x1F000.
#include <vector>

#include <gtest/gtest.h>

#include "flow/FlashCarry.h"

namespace {

// An area: 0x55 signature, count at byte 5, records from byte 6.
std::vector<std::uint8_t> Area(std::vector<std::vector<std::uint8_t>> records) {
  std::vector<std::uint8_t> area(kConfigAreaBytes, 0xFF);
  area[0] = 0x55;
  area[5] = static_cast<std::uint8_t>(records.size());
  std::size_t at = 6;
  for (const auto& r : records) {
    std::copy(r.begin(), r.end(), area.begin() + static_cast<std::ptrdiff_t>(at));
    at += r.size();
  }
  return area;
}

const std::vector<std::uint8_t> kShort{3, 0xAA, 0xBB};
const std::vector<std::uint8_t> kOther{0xFF, 0x41, 6, 0, 1, 2};
const std::vector<std::uint8_t> kDeviceP{0xFF, 0x50, 8, 0, 'P', 'R', 'E', 'C'};

std::vector<std::uint8_t> ImageWith(const std::vector<std::uint8_t>& area) {
  std::vector<std::uint8_t> image(0x10000, 0x00);
  std::copy(area.begin(), area.end(), image.begin() + kConfigAreaOffset);
  return image;
}

TEST(FlashCarryTest, PRecordReplacesTheImagesOwnRecordOfTheSameLength) {
  auto image = ImageWith(Area({kShort, {0xFF, 0x50, 8, 0, 0, 0, 0, 0}, kShort}));
  ASSERT_EQ(CarryPRecord(Area({kOther, kDeviceP}), image), PRecordCarry::kCarried);
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 0xF009, image.begin() + 0xF011), kDeviceP);
  EXPECT_EQ(image[0xF005], 3);
  EXPECT_EQ(image[0xF011], 3);  // the next record is untouched
}

TEST(FlashCarryTest, PRecordIsAppendedAfterTheLastRecordWhenTheImageHasNone) {
  auto image = ImageWith(Area({kShort, kOther}));
  ASSERT_EQ(CarryPRecord(Area({kDeviceP}), image), PRecordCarry::kCarried);
  EXPECT_EQ(image[0xF005], 3);
  EXPECT_EQ(std::vector<std::uint8_t>(image.begin() + 0xF00F, image.begin() + 0xF017), kDeviceP);
}

TEST(FlashCarryTest, NothingIsCarriedFromUnusableRecordsOrIntoUnsafePlaces) {
  const auto image0 = ImageWith(Area({kShort, {0xFF, 0x50, 6, 0, 1, 2}}));
  struct Case {
    std::vector<std::uint8_t> device;
    std::vector<std::uint8_t> image;
    PRecordCarry expected;
  };
  std::vector<std::uint8_t> noCode = Area({kDeviceP});
  noCode[0] = 0x00;
  std::vector<std::uint8_t> longPayload(21, 0x11);
  longPayload[0] = 0xFF, longPayload[1] = 0x50, longPayload[2] = 21, longPayload[3] = 0;
  // A count larger than the records the area can hold, with a zero-length record.
  std::vector<std::uint8_t> zeroLength = Area({kShort});
  zeroLength[5] = 200;
  zeroLength[9] = 0;
  const Case cases[] = {
      {noCode, image0, PRecordCarry::kNoDeviceCode},
      {Area({kShort, kOther}), image0, PRecordCarry::kNoDeviceRecord},
      {Area({longPayload}), image0, PRecordCarry::kPayloadTooLong},
      {Area({kDeviceP}), image0, PRecordCarry::kImageLengthDiffers},
      {Area({kDeviceP}), std::vector<std::uint8_t>(0xF000, 0), PRecordCarry::kNoImageArea},
      {Area({kDeviceP}), ImageWith(zeroLength), PRecordCarry::kNoImageArea},
      {zeroLength, image0, PRecordCarry::kNoDeviceRecord},
  };
  for (const Case& c : cases) {
    auto image = c.image;
    EXPECT_EQ(CarryPRecord(c.device, image), c.expected);
    EXPECT_EQ(image, c.image);
  }
}

TEST(FlashCarryTest, KeptSectorExtendsAShortImage) {
  std::vector<std::uint8_t> sector(kKeptSectorBytes, 0x5A);
  std::vector<std::uint8_t> image(0x10000, 0x11);
  KeepSectorInImage(std::span<const std::uint8_t, kKeptSectorBytes>(sector.data(), sector.size()), image);
  ASSERT_EQ(image.size(), 0x20000u);
  EXPECT_EQ(image[0xFFFF], 0x11);
  EXPECT_EQ(image[0x10000], 0xFF);
  EXPECT_EQ(image[0x1F000], 0x5A);
  EXPECT_EQ(image[0x1FFFF], 0x5A);
  std::vector<std::uint8_t> big(0x40000, 0x22);
  KeepSectorInImage(std::span<const std::uint8_t, kKeptSectorBytes>(sector.data(), sector.size()), big);
  EXPECT_EQ(big.size(), 0x40000u);
  EXPECT_EQ(big[0x1EFFF], 0x22);
  EXPECT_EQ(big[0x1F000], 0x5A);
  EXPECT_EQ(big[0x20000], 0x22);
}

}  // namespace
