#include "image/EepromConfigInfo.h"

#include <gtest/gtest.h>

#include "app/AppContext.h"
#include "flow/TextIds.h"
#include "image/ConfigArea.h"
#include "image/DescCode.h"
#include "image/DescString.h"
#include "image/MpConfig.h"
#include "tests/image/ImageTestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

CICTypeIni BuiltIn(int index) {
  CICTypeIni ic(0);
  ic.SelectIcDefinition(index);
  ic.ReadIcHeader();
  return ic;
}

// The serial-number texts of the area at offset, in record order.
std::vector<std::string> SerialRecords(const Bytes& image, std::size_t offset) {
  CConfigArea area;
  area.Load(std::span(image).subspan(offset));
  std::vector<std::string> out;
  (void)area.Walk([&](CDescriptor& d) {
    if (d.type == 3) out.push_back(dynamic_cast<CDescString&>(d).Chars());
    return true;
  });
  return out;
}

class StampSerialTest : public testing::Test {
 protected:
  void SetUp() override { App().memoryType = 0; }
  CMpConfig record;
};

TEST_F(StampSerialTest, HeaderOnlyChip25ImageGainsASerialRecord) {
  const CICTypeIni ic = AreaDefinition(0, 4096, 0xEFFE);
  Bytes image = EmbeddedImage(3023);
  const Bytes before = image;
  CEepromConfigInfo stamp(record, ic);
  ASSERT_TRUE(stamp.StampSerialNumber(image, "XYZ", false));
  const Bytes expected{0x30, 0xA5, 25 << 3, 25, 0, 4,   // boot code kept, length 18 -> 25, count 3 -> 4
                       before[6], before[7], before[8], before[9], before[10], before[11],  // HWAPVersion
                       3, 8, before[14], 3, 20, before[17],  // EEPInfo, BankCopyInfo
                       0x07, 0x03, 0x05, 0x03, 'X', 'Y', 'Z'};
  EXPECT_EQ(Bytes(image.begin(), image.begin() + 25), expected);
  EXPECT_EQ(before[3], 18);
  EXPECT_EQ(before[5], 3);
  EXPECT_EQ(record.areaLength16, 25);
  EXPECT_TRUE(std::equal(image.begin() + 25, image.end(), before.begin() + 25)) << "no tag with ConfigAddress 0";
}

TEST_F(StampSerialTest, FortyEightBytesAreAcceptedAndFortyNineRefused) {
  struct Case {
    const char* name;
    int imageId;
    int definition;  // built-in index, or -1 for an area at 0
    std::size_t at;
    const char* message;
  };
  const Case cases[] = {{"new record", 3023, -1, 0, "set serial number string failed\r\n"},
                        {"replaced record", 3020, 2, 0xF000, "SetString failed\r\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CICTypeIni ic = c.definition < 0 ? AreaDefinition(0, 4096, 0xEFFE) : BuiltIn(c.definition);
    CEepromConfigInfo stamp(record, ic);
    Bytes image = EmbeddedImage(c.imageId);
    ASSERT_TRUE(stamp.StampSerialNumber(image, std::string(48, '4'), false));
    EXPECT_EQ(SerialRecords(image, c.at), std::vector<std::string>{std::string(48, '4')});

    Bytes refused = EmbeddedImage(c.imageId);
    const Bytes original = refused;
    const std::string trace = CaptureTrace([&] { EXPECT_FALSE(stamp.StampSerialNumber(refused, std::string(49, '4'), false)); });
    EXPECT_NE(trace.find(c.message), std::string::npos) << trace;
    EXPECT_EQ(refused, original);
  }
}

TEST_F(StampSerialTest, SnFunctionPrefixesOnlyWithSnAddress) {
  struct Case {
    int snAddress, snFunction;
    std::string stored;
  };
  const Case cases[] = {{0, 0, "AB"}, {0, 1, "AB"}, {1, 0, "AB"}, {1, 1, "\x07" "AB"}};
  const CICTypeIni ic = BuiltIn(2);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.snAddress << "/" << c.snFunction);
    ConfigKeys keys{{"SaveSN", 1}, {"SN Address", c.snAddress}, {"SN Function", c.snFunction}};
    record.serialText = "AB";
    CEepromConfigInfo stamp(record, ic);
    Bytes image = EmbeddedImage(3020);
    int status = 0;
    ASSERT_TRUE(stamp.PreActionForAllInOne(image, status));
    EXPECT_EQ(SerialRecords(image, 0xF000), std::vector<std::string>{c.stored});
  }
}

TEST_F(StampSerialTest, WithoutSaveSnTheImageIsLeftAsLoaded) {
  const CICTypeIni ic = BuiltIn(2);
  record.serialText = "AB";
  CEepromConfigInfo stamp(record, ic);
  Bytes image = EmbeddedImage(3020);
  int status = 0;
  ASSERT_TRUE(stamp.PreActionForAllInOne(image, status));
  EXPECT_EQ(image, EmbeddedImage(3020));
}

TEST_F(StampSerialTest, BootTagIsWrittenInsideTheStampedRangeOnly) {
  // An area at 0xF000: the tag at 0xEFFE lies inside [0, a + capacity).
  const CICTypeIni q64 = BuiltIn(2);
  Bytes image = EmbeddedImage(3020);
  image[0xEFFE] = image[0xEFFF] = 0xFF;
  image[0xF000] = 0x30;
  CEepromConfigInfo stamp(record, q64);
  ASSERT_TRUE(stamp.StampSerialNumber(image, "SN", false));
  EXPECT_EQ(image[0xEFFE], 0x55);
  EXPECT_EQ(image[0xEFFF], 0xAA);
  EXPECT_EQ(image[0xF000], 0x55) << "boot memory code of a stamped area";

  // The VXQ61 area ends at 0xB000: its tag at 0xEFFE is not carried into the image.
  const CICTypeIni q61 = BuiltIn(0);
  Bytes q61Image(65536, 0xFF);
  const Bytes header = EmbeddedImage(3012);
  std::copy(header.begin(), header.begin() + 15, q61Image.begin() + 0xAE00);
  CEepromConfigInfo stamp61(record, q61);
  ASSERT_TRUE(stamp61.StampSerialNumber(q61Image, "SN", false));
  EXPECT_EQ(q61Image[0xAE00], 0x55);
  EXPECT_EQ(q61Image[0xEFFE], 0xFF);
  EXPECT_EQ(SerialRecords(q61Image, 0xAE00), std::vector<std::string>{"SN"});

  // A tag address whose two bytes do not fit the image is not written at all.
  const CICTypeIni lastByte = AreaDefinition(0xF000, 4096, 0xFFFF);
  Bytes tail = EmbeddedImage(3020);
  CEepromConfigInfo stampTail(record, lastByte);
  ASSERT_TRUE(stampTail.StampSerialNumber(tail, "SN", false));
  EXPECT_EQ(tail[0xFFFF], 0xFF);
}

TEST_F(StampSerialTest, ImagesWithoutRoomOrAreaAreRefusedUnchanged) {
  struct Case {
    const char* name;
    Bytes image;
    std::uint32_t configAddress, configSize;
  };
  Bytes shortImage = EmbeddedImage(3020);
  shortImage.resize(0xF000 + 4095);
  const Case cases[] = {{"area at 0 but definition says 0xF000", EmbeddedImage(3023), 0xF000, 4096},
                        {"shorter than ConfigAddress + ConfigSize", shortImage, 0xF000, 4096},
                        {"ConfigAddress beyond the image", Bytes(100, 0), 0x10000, 4096},
                        {"ConfigSize 0", EmbeddedImage(3023), 0, 0},
                        {"area does not leave 128 bytes free", EmbeddedImage(3020), 0xF000, 200}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CICTypeIni ic = AreaDefinition(c.configAddress, c.configSize, 0xEFFE);
    CEepromConfigInfo stamp(record, ic);
    Bytes image = c.image;
    EXPECT_FALSE(stamp.StampSerialNumber(image, "SN", false));
    EXPECT_EQ(image, c.image);
  }
}

TEST_F(StampSerialTest, CorruptAreaIsNotStamped) {
  const CICTypeIni ic = BuiltIn(2);
  Bytes image = EmbeddedImage(3020);
  image[0xF000 + 5] = 200;
  const Bytes original = image;
  CEepromConfigInfo stamp(record, ic);
  const std::string trace = CaptureTrace([&] { EXPECT_FALSE(stamp.StampSerialNumber(image, "SN", false)); });
  EXPECT_NE(trace.find("Config file corrupted\r\n"), std::string::npos);
  EXPECT_EQ(image, original);
}

TEST_F(StampSerialTest, RecordsTheToolDoesNotInterpretSurviveAStamp) {
  // A chip-25 area with records read as dummies (UAC top, small cache code) and code data.
  CDescGlobal header;
  header.bootMemoryCode = 0x30;
  header.chipId = 25;
  CConfigArea built;
  built.BeginBuild(header, {0x1060, 1, 0x5A, std::nullopt}, true);
  CDescDummy uacTop;
  Bytes uac(18, 0x09);
  uac[0] = 18;
  uac[1] = 64;
  ASSERT_EQ(uacTop.Parse(uac), 1);
  Bytes cacheBytes(300, 0x0C);
  cacheBytes[0] = 0xFF;
  cacheBytes[1] = 0xE7;
  cacheBytes[2] = 300 & 0xFF;
  cacheBytes[3] = 300 >> 8;
  CDescDummy cache;
  ASSERT_EQ(cache.Parse(cacheBytes), 1);
  CDescCodeInfo code;
  code.data.assign(100, 0xC0);
  ASSERT_TRUE(built.AddDescriptor(uacTop));
  ASSERT_TRUE(built.AddDescriptor(cache));
  ASSERT_TRUE(built.AddDescriptor(code));
  Bytes image(65536, 0xFF);
  ASSERT_TRUE(built.GetConfigData(std::span(image).subspan(0xF000, 4096)));
  const std::size_t before = built.BuiltLength();

  const CICTypeIni ic = BuiltIn(3);
  CEepromConfigInfo stamp(record, ic);
  ASSERT_TRUE(stamp.StampSerialNumber(image, "SN0001", false));
  EXPECT_EQ(record.areaLength16, before + 10) << "only the new record is added";
  CConfigArea area;
  area.Load(std::span(image).subspan(0xF000));
  std::vector<int> types;
  (void)area.Walk([&](CDescriptor& d) {
    types.push_back(d.type);
    if (auto* info = dynamic_cast<CDescCodeInfo*>(&d)) {
      EXPECT_EQ(info->data, code.data);
    } else if (d.type == 64) {
      EXPECT_EQ(dynamic_cast<CDescDummy&>(d).Bytes(), uac);
    } else if (d.type == 39) {
      EXPECT_EQ(dynamic_cast<CDescDummy&>(d).Bytes(), cacheBytes);
    }
    return true;
  });
  EXPECT_EQ(types, (std::vector<int>{64, 39, 15, 3}));
  EXPECT_EQ(area.Leading().bankCopyInfo, 0x5A);
}

TEST_F(StampSerialTest, OtpImagesAreWidenedThenCutToTheArea) {
  const CICTypeIni ic = AreaDefinition(0, 0x4000, 0);
  ConfigKeys keys{{"SaveSN", 1}};
  App().memoryType = 6;
  record.serialText = "OTP1";
  CEepromConfigInfo stamp(record, ic);
  const Bytes header = EmbeddedImage(3023);
  Bytes image(header.begin(), header.begin() + 18);
  int status = 0;
  ASSERT_TRUE(stamp.PreActionForAllInOne(image, status));
  EXPECT_EQ(image.size(), 18u + 8u);
  EXPECT_EQ(SerialRecords(image, 0), std::vector<std::string>{"OTP1"});

  Bytes tooLong(0x4001, 0xFF);
  std::copy(header.begin(), header.begin() + 18, tooLong.begin());
  const Bytes original = tooLong;
  status = 0;
  EXPECT_FALSE(stamp.PreActionForAllInOne(tooLong, status));
  EXPECT_EQ(status, IDS_SAVE_SN_FAIL);
  EXPECT_EQ(tooLong, original);
  App().memoryType = 0;
}

}  // namespace
