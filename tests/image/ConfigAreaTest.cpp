#include "image/ConfigArea.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "image/DescCode.h"
#include "image/DescString.h"
#include "tests/image/ImageTestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// An area: header (boot code 0x30, chip, length, count) followed by the given record bytes.
Bytes Area(std::uint8_t chip, std::uint8_t count, const Bytes& records, std::size_t pad = 64) {
  Bytes a{0x30, 0xA5, static_cast<std::uint8_t>(chip << 3), 0, 0, count};
  for (std::uint8_t b : records) a.push_back(b);
  a[3] = static_cast<std::uint8_t>(a.size());
  a[4] = static_cast<std::uint8_t>(a.size() >> 8);
  a.resize(a.size() + pad, 0xFF);
  return a;
}

// Every record of a walk, as (type, bytes as the class writes them).
std::vector<std::pair<int, Bytes>> Records(CConfigArea& area, CConfigArea::WalkResult* result = nullptr) {
  std::vector<std::pair<int, Bytes>> out;
  const auto r = area.Walk([&](CDescriptor& d) {
    Bytes b(0x10000);
    EXPECT_EQ(d.Build(b), 1) << "type " << int(d.type);
    b.resize(d.SizeInArea());
    out.emplace_back(d.type, b);
    return true;
  });
  if (result != nullptr) *result = r;
  return out;
}

struct DefaultImage {
  int id;
  std::size_t size;
  std::size_t area;
  std::uint8_t chip;
  std::optional<std::uint8_t> bankCopy;
  bool full;
};

const DefaultImage kDefaultImages[] = {
    {3012, 65536, 0, 17, std::nullopt, false},     {3018, 262144, 0xF000, 25, 0x5A, true},
    {3020, 65536, 0xF000, 24, std::nullopt, true}, {3023, 65536, 0, 25, 0x00, false},
    {3021, 65536, 0xF000, 21, std::nullopt, true}, {3022, 65536, 0xF000, 24, std::nullopt, true},
    {3037, 65536, 0xF000, 25, 0x00, true},         {3036, 65536, 0xF000, 25, 0x00, true},
    {3038, 65536, 0xF000, 25, 0x00, true},         {3039, 262144, 0xF000, 25, 0x5A, true}};

TEST(ConfigAreaTest, DefaultImagesCarryTheirHeaderAndLeadingRecords) {
  for (const DefaultImage& d : kDefaultImages) {
    SCOPED_TRACE(d.id);
    const Bytes image = EmbeddedImage(d.id);
    ASSERT_EQ(image.size(), d.size);
    CConfigArea area;
    const CDescGlobal& h = area.Load(std::span(image).subspan(d.area));
    EXPECT_TRUE(h.HasSignature());
    EXPECT_EQ(h.chipId, d.chip);
    EXPECT_EQ(area.Leading().bankCopyInfo, d.bankCopy);
    EXPECT_TRUE(area.Leading().hwapSecondValue.has_value());
    EXPECT_TRUE(area.Leading().eepInfo.has_value());
    EXPECT_EQ(h.bootMemoryCode, d.full ? 0x55 : 0x30);
    EXPECT_EQ(image[0xEFFE], d.full ? 0x55 : 0xFF);
    EXPECT_EQ(image[0xEFFF], d.full ? 0xAA : 0xFF);
    CConfigArea::WalkResult result{};
    const auto records = Records(area, &result);
    EXPECT_EQ(result, CConfigArea::WalkResult::kComplete);
    EXPECT_EQ(area.Remaining(), 0);
    if (!d.full) {
      EXPECT_TRUE(records.empty());
      EXPECT_TRUE(std::all_of(image.begin() + h.areaLength, image.end(), [](auto b) { return b == 0xFF; }));
    } else {
      EXPECT_GE(records.size(), 5u) << "strings and VID/PID";
    }
  }
}

TEST(ConfigAreaTest, Vxq61HeaderOnlyImageIsByteExact) {
  const Bytes image = EmbeddedImage(3012);
  EXPECT_EQ(Bytes(image.begin(), image.begin() + 6), (Bytes{0x30, 0xA5, 17 << 3, 15, 0, 2}));
  CConfigArea area;
  area.Load(image);
  EXPECT_EQ(area.Remaining(), 0) << "count 2 covers HWAPVersion and EEPInfo";
  EXPECT_EQ(area.Cursor(), 15u);
}

TEST(ConfigAreaTest, RebuiltDefaultAreasReadBackTheSame) {
  for (const DefaultImage& d : kDefaultImages) {
    SCOPED_TRACE(d.id);
    const Bytes image = EmbeddedImage(d.id);
    CConfigArea source;
    const CDescGlobal header = source.Load(std::span(image).subspan(d.area));
    const auto before = Records(source);

    CConfigArea rebuilt;
    rebuilt.BeginBuild(header, source.Leading(), true);
    CConfigArea again;
    again.Load(std::span(image).subspan(d.area));
    ASSERT_EQ(again.Walk([&](CDescriptor& rec) { return rebuilt.AddDescriptor(rec); }),
              CConfigArea::WalkResult::kComplete);
    Bytes out(4096, 0xFF);
    ASSERT_TRUE(rebuilt.GetConfigData(out));
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + header.areaLength, image.begin() + d.area))
        << "the default images are built the same way";

    CConfigArea back;
    const CDescGlobal& h = back.Load(out);
    EXPECT_EQ(h.areaLength, header.areaLength);
    EXPECT_EQ(h.descriptorCount, header.descriptorCount);
    EXPECT_EQ(back.Leading().bankCopyInfo, source.Leading().bankCopyInfo);
    EXPECT_EQ(Records(back), before);
  }
}

TEST(ConfigAreaTest, RecordsThatCannotMoveTheCursorEndTheWalk) {
  struct Case {
    const char* name;
    Bytes records;
  };
  const Case cases[] = {{"length 0", {0x00, 0x05, 7, 3, 5, 3, 'A', 'B', 'C'}},
                        {"length 1", {0x01, 0x05, 7, 3, 5, 3, 'A', 'B', 'C'}},
                        {"extended length 0", {0xFF, 0xE7, 0x00, 0x00, 0, 0, 0, 0}},
                        {"extended length 3", {0xFF, 0xE7, 0x03, 0x00, 0, 0, 0, 0}},
                        {"past the area", {0x40, 0x05, 1, 2}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes bytes = Area(21, 5, c.records);
    CConfigArea area;
    area.Load(bytes);
    int visited = 0;
    EXPECT_EQ(area.Walk([&](CDescriptor&) { return ++visited < 100; }), CConfigArea::WalkResult::kCorrupt);
    EXPECT_EQ(visited, 0);
  }
}

TEST(ConfigAreaTest, UnreadableRecordsAreSkippedByTheirLength) {
  // A VID/PID record of 5 bytes cannot be read by its class, then a string follows.
  const Bytes bytes = Area(25, 2, {5, 4, 1, 2, 3, 7, 3, 5, 3, 'A', 'B', 'C'});
  CConfigArea area;
  area.Load(bytes);
  CConfigArea::WalkResult result{};
  const auto records = Records(area, &result);
  EXPECT_EQ(result, CConfigArea::WalkResult::kComplete);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].first, 3);
}

TEST(ConfigAreaTest, CodeDataBehindTheRecordsIsNotReadAsRecordsNorDuplicated) {
  CDescGlobal header;
  header.bootMemoryCode = 0x30;
  header.chipId = 25;
  CConfigArea built;
  built.BeginBuild(header, {}, false);
  CDescString sn(3);
  ASSERT_TRUE(sn.SetString("SN"));
  CDescCodeInfo code;
  // Code bytes that look like a string record and a ForceUpdateInfo record.
  code.data = {7, 3, 5, 3, 'X', 'Y', 'Z', 3, 21, 1};
  ASSERT_TRUE(built.AddDescriptor(code));
  ASSERT_TRUE(built.AddDescriptor(sn));
  Bytes out(512, 0xFF);
  ASSERT_TRUE(built.GetConfigData(out));

  CConfigArea area;
  const CDescGlobal& h = area.Load(out);
  EXPECT_EQ(h.areaLength, 6 + 6 + 6 + 10);
  const auto records = Records(area);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].first, 15);
  EXPECT_EQ(records[1].first, 3);

  CConfigArea rebuilt;
  rebuilt.BeginBuild(h, area.Leading(), false);
  CConfigArea again;
  again.Load(out);
  ASSERT_EQ(again.Walk([&](CDescriptor& d) { return rebuilt.AddDescriptor(d); }), CConfigArea::WalkResult::kComplete);
  EXPECT_EQ(rebuilt.BuiltLength(), h.areaLength);
  Bytes out2(512, 0xFF);
  ASSERT_TRUE(rebuilt.GetConfigData(out2));
  EXPECT_EQ(out2, out);
}

TEST(ConfigAreaTest, ExtendedCacheCodeRecordTakesItsLengthFromBytesTwoAndThree) {
  Bytes records{0xFF, 0xE7, 12, 0, 0, 0, 4, 0, 0xDE, 0xAD, 0xBE, 0xEF};
  records[4] = 6 + 8;  // data offset: right behind the 8-byte head
  for (std::uint8_t b : Bytes{6, 1, 4, 3, 'M', 'F'}) records.push_back(b);
  const Bytes bytes = Area(21, 2, records);
  CConfigArea area;
  area.Load(bytes);
  auto first = area.NextDescriptor();
  ASSERT_NE(first, nullptr);
  auto* cache = dynamic_cast<CDescSmallCachecode*>(first.get());
  ASSERT_NE(cache, nullptr);
  EXPECT_EQ(cache->data, (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_EQ(cache->SizeInArea(), 12);
  auto second = area.NextDescriptor();
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(dynamic_cast<CDescString&>(*second).Text(), "MF");
}

TEST(ConfigAreaTest, LongCodecSettingsSurviveAWalkOnTheVxq61) {
  Bytes record(300, 0x22);
  record[0] = 300 & 0xFF;
  record[1] = 27 | 0x40;
  const Bytes bytes = Area(17, 1, record);
  CConfigArea area;
  area.Load(bytes);
  const auto records = Records(area);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].first, 27);
  EXPECT_EQ(records[0].second, record);
}

TEST(ConfigAreaTest, LeadingRecordsAreRecognisedOncePerReadAndBankCopyOnlyOnChips25And26) {
  const Bytes records{6, 47, 0x19, 0x61, 0x60, 0x10, 3, 8, 1, 3, 20, 0x5A, 3, 21, 0};
  for (std::uint8_t chip : {24, 25, 26}) {
    SCOPED_TRACE(int(chip));
    const Bytes bytes = Area(chip, 4, records);
    CConfigArea area;
    area.Load(bytes);
    const bool bank = chip != 24;
    EXPECT_EQ(area.Leading().bankCopyInfo.has_value(), bank);
    // Without BankCopyInfo the ForceUpdateInfo is not next at the cursor either.
    EXPECT_EQ(area.Leading().forceUpdateInfo.has_value(), bank);
    const std::size_t cursor = area.Cursor();
    const int remaining = area.Remaining();
    area.ReadHeader();
    EXPECT_EQ(area.Cursor(), cursor);
    EXPECT_EQ(area.Remaining(), remaining);
  }
}

TEST(ConfigAreaTest, BuildingStopsAtTheRoomLeft) {
  CDescGlobal header;
  header.chipId = 21;
  CConfigArea built;
  built.BeginBuild(header, {}, true);
  CDescString s(2);
  ASSERT_TRUE(s.SetString(std::string(53, 'p')));
  int added = 0;
  while (built.AddDescriptor(s) && added < 10000) ++added;
  EXPECT_LT(added, 10000);
  EXPECT_LE(built.BuiltLength(), 0xFFFFu);
  Bytes small(200);
  EXPECT_FALSE(built.GetConfigData(small));
}

TEST(ConfigAreaTest, RebuiltAreaMustLeave128BytesFree) {
  CDescGlobal header;
  header.chipId = 25;
  CConfigArea built;
  built.BeginBuild(header, {}, true);  // header and HWAPVersion: 12 bytes
  Bytes exact(12 + 128);
  EXPECT_TRUE(built.GetConfigData(exact));
  Bytes oneShort(12 + 127);
  EXPECT_FALSE(built.GetConfigData(oneShort));
}

}  // namespace
