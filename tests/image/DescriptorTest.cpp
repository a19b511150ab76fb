#include "image/Descriptor.h"

#include <gtest/gtest.h>

#include <typeinfo>

#include "image/DescCode.h"
#include "image/DescCommon.h"
#include "image/DescQ61.h"
#include "image/DescQ62.h"
#include "image/DescString.h"
#include "image/DescriptorFactory.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(DescriptorTest, ClassIsChosenByTypeChipAndLength) {
  struct Case {
    std::uint8_t type, chip;
    std::uint16_t length;
    const std::type_info& cls;
  };
  const Case cases[] = {
      {1, 25, 10, typeid(CDescStringManu)},        {3, 17, 10, typeid(CDescStringSN)},
      {4, 21, 8, typeid(CDescVIDPID)},             {15, 25, 6, typeid(CDescCodeInfo)},
      {47, 17, 6, typeid(CDescHWAPVersion)},       {47, 17, 18, typeid(CDescEndPointType)},
      {47, 21, 18, typeid(CDescDummy)},            {8, 17, 3, typeid(CDescEEPInfo)},
      {8, 17, 29, typeid(CDescI2S0_Q61)},          {8, 25, 29, typeid(CDescDummy)},
      {20, 25, 3, typeid(CDescBankCopyInfo)},      {20, 26, 3, typeid(CDescBankCopyInfo)},
      {20, 24, 3, typeid(CDescDummy)},             {21, 24, 3, typeid(CDescForceUpdateInfo)},
      {27, 17, 40, typeid(CDescI2SCodecCommonSetting)}, {52, 17, 56, typeid(CDescI2SEPGVolumeSetting)},
      {14, 21, 15, typeid(CDescSLB)},              {39, 24, 40, typeid(CDescSmallCachecode)},
      {64, 21, 18, typeid(CDescUACTop)},           {74, 24, 12, typeid(CDescGPIODrivingInfo)},
      {14, 25, 15, typeid(CDescDummy)},            {39, 25, 40, typeid(CDescDummy)},
      {64, 25, 18, typeid(CDescDummy)},            {71, 25, 14, typeid(CDescDummy)},
      {64, 17, 18, typeid(CDescDummy)},            {200, 21, 5, typeid(CDescDummy)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << int(c.type) << " chip " << int(c.chip) << " length " << c.length);
    const auto obj = CreateDescriptor(c.type, c.chip, c.length);
    EXPECT_EQ(typeid(*obj), c.cls);
  }
}

TEST(DescriptorTest, StringRecordsAreBoundedByTheirLengthAnd53Characters) {
  struct Case {
    const char* name;
    Bytes record;
    int parsed;
    std::string chars;
  };
  Bytes longRecord = {60, 3, 58, 3};
  for (int i = 0; i < 56; ++i) longRecord.push_back(static_cast<std::uint8_t>('a' + i % 26));
  const Case cases[] = {
      {"plain", {7, 3, 5, 3, 'A', 'B', 'C'}, 1, "ABC"},
      {"inner length beyond the record", {6, 3, 40, 3, 'A', 'B'}, 1, "AB"},
      {"inner length below 2", {6, 3, 1, 3, 'A', 'B'}, 0, ""},
      {"no inner header", {3, 3, 5}, 0, ""},
      {"more than 53 characters", longRecord, 1, std::string(longRecord.begin() + 4, longRecord.begin() + 57)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CDescStringSN s;
    EXPECT_EQ(s.Parse(c.record), c.parsed);
    if (c.parsed) {
      EXPECT_EQ(s.Chars(), c.chars);
    }
  }
}

TEST(DescriptorTest, StringTextStopsAtAZeroByteOrTheRecordEnd) {
  CDescStringManu s;
  ASSERT_EQ(s.Parse(Bytes{8, 1, 6, 3, 'A', 'B', 0, 'C'}), 1);
  EXPECT_EQ(s.Text(), "AB");
  ASSERT_EQ(s.Parse(Bytes{6, 1, 6, 3, 'A', 'B'}), 1);
  EXPECT_EQ(s.Text(), "AB");
}

TEST(DescriptorTest, StringBuildWritesTheNestedHeader) {
  CDescString s(3);
  EXPECT_FALSE(s.SetString(std::string(54, 'x')));
  ASSERT_TRUE(s.SetString("SN1"));
  Bytes out(16, 0xEE);
  ASSERT_EQ(s.Build(out), 1);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{7, 3, 5, 3, 'S', 'N', '1', 0xEE}));
  Bytes small(6);
  EXPECT_EQ(s.Build(small), 0) << "no room";
}

TEST(DescriptorTest, BigEndianFieldsReadMostSignificantByteFirst) {
  CDescEPAInfo ep;
  ASSERT_EQ(ep.Parse(Bytes{17, 65, 1, 0xBB, 0x80, 24, 0, 3, 0x01, 0x02, 0x81, 0x00, 0x7F, 0x00, 0x01, 0x00, 1}), 1);
  EXPECT_EQ(ep.Field("wSampleRate"), 0xBB80u);
  EXPECT_EQ(ep.Field("wTerminalType"), 0x0102u);
  EXPECT_EQ(ep.Field("wVolumeMin"), 0x8100u);
  EXPECT_EQ(ep.Field("bySupportLoudness"), 1u);
  CDescSLB slb;  // dwHSTstCnt is little-endian
  ASSERT_EQ(slb.Parse(Bytes{15, 14, 3, 2, 0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0, 0, 0, 0}), 1);
  EXPECT_EQ(slb.Field("dwHSTstCnt"), 0x12345678u);
}

TEST(DescriptorTest, RecordsShorterThanTheirClassAreNotRead) {
  EXPECT_EQ(CDescVIDPID().Parse(Bytes{5, 4, 1, 2, 3}), 0);
  EXPECT_EQ(CDescEPAInfo().Parse(Bytes{16, 65, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0);
  EXPECT_EQ(CDescCodeInfo().Parse(Bytes{4, 15, 0, 0}), 0);
}

TEST(DescriptorTest, NewVolumeSettingsStartAtTheFullRange) {
  const CDescI2SEPBVolumeSetting v;
  EXPECT_EQ(v.Field("VolumeMax"), 0x7F00u);
  EXPECT_EQ(v.Field("VolumeMin"), 0x8100u);
  EXPECT_EQ(v.Field("VolumeRes"), 0x0100u);
  EXPECT_EQ(v.FixedLength(), 32u);
  EXPECT_EQ(CDescI2SEPAVolumeSetting().FixedLength(), 56u);
}

TEST(DescriptorTest, WritingRulesClampTwoFields) {
  struct Case {
    std::uint32_t given, written;
  };
  const Case sensitivity[] = {{0, 1}, {1, 1}, {15, 15}, {16, 15}, {255, 15}};
  for (const Case& c : sensitivity) {
    CDescUACTop top;
    top.SetField("byU2PhySensitivity", c.given);
    Bytes out(18);
    ASSERT_EQ(top.Build(out), 1);
    EXPECT_EQ(out[2 + 6], c.written) << c.given;
    EXPECT_EQ(top.Field("byU2PhySensitivity"), c.given) << "the object keeps its value";
  }
  const Case window[] = {{0, 2}, {1, 2}, {2, 2}, {127, 127}, {128, 127}, {255, 127}};
  for (const Case& c : window) {
    CDescInterCodecInfo codec;
    codec.SetField("byGBtnDetectWinCtl", c.given);
    Bytes out(14);
    ASSERT_EQ(codec.Build(out), 1);
    EXPECT_EQ(out[2 + 6], c.written) << c.given;
  }
}

TEST(DescriptorTest, SmallCacheCodeIsAlwaysWrittenInTheExtendedForm) {
  CDescSmallCachecode cache;
  Bytes sixteen(16);
  EXPECT_EQ(cache.Build(sixteen), 0) << "nothing to write";
  cache.data.assign(500, 0x42);  // a 508-byte record: FC 27 would read back as 252 bytes
  cache.dataOffset = 0x20;
  Bytes out(600);
  ASSERT_EQ(cache.Build(out), 1);
  EXPECT_EQ(Bytes(out.begin(), out.begin() + 8), (Bytes{0xFF, 0xE7, 0xFC, 0x01, 0x20, 0x00, 0xF4, 0x01}));
  CDescSmallCachecode back;
  ASSERT_EQ(back.Parse(std::span(out).first(508)), 1);
  EXPECT_EQ(back.length, 508);
  EXPECT_EQ(back.dataLength, 500);
  EXPECT_EQ(back.dataOffset, 0x20);
}

TEST(DescriptorTest, CodecSettingsUseTheTenBitHeader) {
  CDescI2SCodecSuspendSetting s;
  EXPECT_EQ(s.delay, 100);
  s.data.assign(300, 0x11);
  s.delay = 0x1234;
  Bytes out(400);
  ASSERT_EQ(s.Build(out), 1);
  EXPECT_EQ(out[0], (304 & 0xFF));
  EXPECT_EQ(out[1], 33 | (1 << 6));
  CDescI2SCodecSuspendSetting back;
  ASSERT_EQ(back.Parse(std::span(out).first(304)), 1);
  EXPECT_EQ(back.length, 304);
  EXPECT_EQ(back.type, 33);
  EXPECT_EQ(back.data.size(), 300u);
  EXPECT_EQ(back.delay, 0x1234);
}

TEST(DescriptorTest, DummyWritesItsSourceBytesBack) {
  const Bytes record{5, 0x40, 1, 2, 3};
  CDescDummy d;
  ASSERT_EQ(d.Parse(record), 1);
  EXPECT_EQ(d.type, 0x40);
  Bytes out(5);
  ASSERT_EQ(d.Build(out), 1);
  EXPECT_EQ(out, record);
  Bytes four(4);
  EXPECT_EQ(d.Build(four), 0);
}

}  // namespace
