#include "image/MpConfig.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/AppContext.h"
#include "flow/TextIds.h"
#include "image/ImageVersion.h"
#include "platform/ExecutablePath.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::string AsString(const Bytes& b) { return {b.begin(), b.end()}; }

CICTypeIni BuiltIn(int index) {
  CICTypeIni ic(0);
  ic.BuildIcDefinitionList();
  ic.SelectIcDefinition(index);
  ic.ReadIcHeader();
  return ic;
}

class MpConfigTest : public testing::Test {
 protected:
  void SetUp() override {
    SetExecutableDirectoryForTesting(dir.path());
    g_uMemSize = kInitialMemSize;
    App().memoryType = 0;
    App().busType = 0;
  }
  void TearDown() override { SetExecutableDirectoryForTesting({}); }
  TempDir dir;
};

TEST_F(MpConfigTest, Vxq61DefaultImageIsFoundAtOffsetZero) {
  const CICTypeIni ic = BuiltIn(0);
  CMpConfig record;
  record.SetIcDefinition(&ic);
  const Bytes image = EmbeddedImage(3012);
  EXPECT_EQ(record.ParseImage(image), 0xF000u) << "images of 64 KB give 0xF000";
  EXPECT_EQ(record.imageChipId, 17);
  EXPECT_TRUE(record.m_bImageHasTag);
  EXPECT_FALSE(record.m_bImageFlagZ);
  EXPECT_EQ(record.areaLength16, 15);
  EXPECT_EQ(record.serialText, "");
}

TEST_F(MpConfigTest, FullDefaultImageGivesItsTextsAndRegion) {
  const CICTypeIni ic = BuiltIn(1);
  CMpConfig record;
  record.SetIcDefinition(&ic);
  const Bytes image = EmbeddedImage(3018);
  ASSERT_EQ(record.ParseImage(image), 0xF000u);
  EXPECT_EQ(record.imageChipId, 25);
  EXPECT_FALSE(record.m_bImageHasTag);
  EXPECT_TRUE(record.m_bImageFlagZ) << "bank-copy byte 0x5A";
  EXPECT_EQ(record.regionStart, 0xF000u);
  EXPECT_EQ(record.regionLength, 4096u);
  EXPECT_EQ(record.manufacturerText, "Halvik");
  EXPECT_EQ(record.serialText, "000000000000");
  EXPECT_EQ(record.iadText, "USB Audio");
  EXPECT_EQ(record.vidPidText, "VID_3C5E&PID_4C15");
  EXPECT_EQ(record.releaseText, "0000");
  EXPECT_EQ(record.codeIdText, "0x1910270001");
  EXPECT_EQ(App().memoryType, 0) << "boot memory code 0x55: serial flash";
}

TEST_F(MpConfigTest, VersionBlockPositionAndText) {
  struct Case {
    const char* name;
    std::size_t size;
    std::size_t at;
    Bytes block;
    const char* text;
  };
  const Case cases[] = {
      {"64 KB", 65536, 0x100C, {0x12, 0x03, 0x00, 0x04, 0x00, 0x05, 0xAB, 0xCD}, "1.203.0004-0005.ABCD"},
      {"256 KB", 262144, 0x100C, {0x2F, 0x10, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}, "2.F10.1234-5678.9ABC"},
      {"16 KB", 16384, 0x11B, {0x21, 0x05, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03}, "2.105.0001-0002.0003"},
      {"erased", 65536, 0x100C, Bytes(8, 0xFF), "F.FFF.FFFF-FFFF.FFFF"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes image(c.size, 0xFF);
    std::copy(c.block.begin(), c.block.end(), image.begin() + static_cast<std::ptrdiff_t>(c.at));
    const auto v = DecodeImageVersion(image);
    ASSERT_TRUE(v.has_value());
    EXPECT_EQ(v->text, c.text);
    EXPECT_EQ(v->numbers[1], c.block[0] & 0x0Fu);
    EXPECT_EQ(v->numbers[5], (c.block[6] << 8u) | c.block[7]);
  }
  EXPECT_FALSE(DecodeImageVersion(Bytes(0x11B + 7, 0)).has_value()) << "block beyond the image";
  EXPECT_EQ(DecodeImageVersion(EmbeddedImage(3020))->text, "2.407.0001-0000.0024");
}

TEST_F(MpConfigTest, CodeIdentificationShowsTheSixteenBitValuesMostSignificantByteFirst) {
  Bytes image(4129, 0);
  const Bytes ids{0x01, 0x02, 0x03, 0x04, 0x05};
  std::copy(ids.begin(), ids.end(), image.begin() + 0x1003);
  EXPECT_EQ(CodeIdentificationText(image), "0x0103020504");
  EXPECT_FALSE(CodeIdentificationText(Bytes(4128, 0)).has_value());
}

TEST_F(MpConfigTest, ImageMatchesDeviceByChipInfo) {
  struct Case {
    std::uint8_t chipInfo, imageChipId;
    bool match;
  };
  const Case cases[] = {{25, 25, true}, {21, 24, false}, {8, 9, true}, {9, 8, true}, {8, 8, true}, {9, 10, false}, {0xFF, 0xFF, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(CMpConfig::IsImageForDevice(c.chipInfo, c.imageChipId), c.match) << int(c.chipInfo) << "/" << int(c.imageChipId);
  }
}

TEST_F(MpConfigTest, DefaultImageNameComesFromTheDeviceId) {
  struct Case {
    const char* deviceId;
    std::optional<std::uint8_t> optionByte;
    const char* name;
    std::uint32_t loadedBytes;
  };
  const Case cases[] = {{"VID_3C5E&PID_4C15&REV_0000", std::nullopt, "FFU_3C5E_4C15", 262144},
                        {"VID_17AA&PID_1046&REV_0002", 0x01, "FFU_17AA_1046H", 65536},
                        {"VID_17AA&PID_1046&REV_0002", 0xFE, "FFU_17AA_1046L", 65536},
                        {"VID_17AA&PID_1046&REV_0002", std::nullopt, "FFU_17AA_1046L", 65536},
                        {"VID_17AA&PID_104D&REV_0000", std::nullopt, "FFU_17AA_104D", 65536},
                        // Not in the table: the definition's "Def Bin" ("FFU_Q62", 256 KB).
                        {"VID_1234&PID_5678&REV_0001", std::nullopt, "FFU_1234_5678", 262144}};
  CICTypeIni ic(0);
  ic.BuildIcDefinitionList();
  ic.LoadCurrentIcDefinition();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMpConfig record;
    record.SetIcDefinition(&ic);
    std::vector<std::uint32_t> reads;
    const std::string name = record.DefaultImageName(c.deviceId, [&](std::uint32_t address) {
      reads.push_back(address);
      return c.optionByte;
    });
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(record.workLength, c.loadedBytes);
    EXPECT_EQ(g_uMemSize, c.loadedBytes);
    if (name.find("17AA_1046") != std::string::npos) {
      EXPECT_EQ(reads, std::vector<std::uint32_t>{0xFEC7});
      EXPECT_EQ(App().chipOptionByte, c.optionByte.value_or(0));
    } else {
      EXPECT_TRUE(reads.empty());
    }
  }
}

TEST_F(MpConfigTest, CorruptAreaIsReportedAndNotReturned) {
  const CICTypeIni ic = BuiltIn(2);
  Bytes image = EmbeddedImage(3020);
  image[0xF000 + 5] = 200;  // far more descriptors than the area holds
  MessageBoxRecorder boxes;
  CMpConfig record;
  record.SetIcDefinition(&ic);
  EXPECT_FALSE(record.ParseImage(image).has_value());
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"Config file corrupted"});

  dir.Write("corrupt.rfw", AsString(image));
  record.imagePath = "corrupt.rfw";
  EXPECT_EQ(record.LoadImageForDevice(24), IDS_PARSE_FW_FILE_FAIL);
}

TEST_F(MpConfigTest, LoadingSequenceReportsEachFailure) {
  const CICTypeIni ic = BuiltIn(2);
  std::filesystem::create_directory(dir.File("fw"));
  dir.Write("fw/q64.rfw", AsString(EmbeddedImage(3020)));
  dir.Write("empty.rfw", "");
  dir.Write("noarea.rfw", std::string(70000, '\x11'));
  struct Case {
    std::string path;
    std::uint8_t chipInfo;
    int result;
  };
  const Case cases[] = {{"", 24, IDS_LOAD_FILE_DATA_FAIL},
                        {"missing.rfw", 24, IDS_LOAD_FILE_DATA_FAIL},
                        {"empty.rfw", 24, IDS_LOAD_FILE_DATA_FAIL},
                        {"fw", 24, IDS_LOAD_FILE_DATA_FAIL},  // a directory
                        {"noarea.rfw", 24, IDS_PARSE_FW_FILE_FAIL},
                        {"fw\\q64.rfw", 21, IDS_FIRMWARE_NOT_FOR_DEVICE},
                        {"fw\\q64.rfw", 24, 0},
                        {"fw/q6?.rfw", 24, 0},
                        {dir.File("fw/q64.rfw"), 24, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    CMpConfig record;
    record.SetIcDefinition(&ic);
    record.imagePath = c.path;
    EXPECT_EQ(record.LoadImageForDevice(c.chipInfo), c.result);
    if (c.result == 0) {
      EXPECT_EQ(record.imageLength, 65536u);
      EXPECT_EQ(record.copyBytes, record.imageBytes);
    }
  }
}

TEST_F(MpConfigTest, ThirdImageAndPaddingRefuseWhatDoesNotFit) {
  CMpConfig record;
  dir.Write("small.bin", std::string(4096, '\x22'));
  dir.Write("big.bin", std::string(65537, '\x22'));
  record.thirdImagePath = "small.bin";
  ASSERT_TRUE(record.LoadThirdImageFile());
  EXPECT_EQ(record.workLength, 65536u);
  EXPECT_EQ(record.copyLength, 16384u);
  EXPECT_EQ(g_uMemSize, 65536u);
  EXPECT_EQ(record.workBytes[4095], 0x22);
  EXPECT_EQ(record.copyBytes[0], 0x00) << "a 4096-byte third image is not copied";
  record.thirdImagePath = "big.bin";
  EXPECT_FALSE(record.LoadThirdImageFile());

  record.copyBytes.assign(1000, 0x33);
  record.copyLength = 1000;
  ASSERT_TRUE(record.PadImageTo16K());
  EXPECT_EQ(record.workBytes.size(), 16384u);
  EXPECT_EQ(record.workBytes[999], 0x33);
  EXPECT_EQ(record.workBytes[1000], 0x00);
  EXPECT_EQ(record.copyBytes, record.workBytes);
  record.copyBytes.assign(16385, 0x33);
  record.copyLength = 16385;
  EXPECT_FALSE(record.PadImageTo16K());
  EXPECT_EQ(record.copyBytes.size(), 16385u) << "unchanged";
}

TEST_F(MpConfigTest, ResourceImagesSetTheMemorySize) {
  CMpConfig record;
  record.workBytes.assign(10, 0x44);
  record.workLength = 10;
  EXPECT_FALSE(record.LoadResourceImage(4242));
  EXPECT_EQ(record.workLength, 10u) << "a missing resource leaves the buffer";
  ASSERT_TRUE(record.LoadResourceImage(3021));
  EXPECT_EQ(record.workLength, 65536u);
  EXPECT_EQ(g_uMemSize, 65536u);

  CICTypeIni none(1);  // no definition listed: the work buffer is erased and empty
  record.SetIcDefinition(&none);
  EXPECT_FALSE(record.LoadDefaultImage());
  EXPECT_EQ(record.workLength, 0u);
  EXPECT_EQ(record.workBytes[0], 0xFF);
}

TEST_F(MpConfigTest, ErasedImageHasNoTextsAndNoCacheCode) {
  const CICTypeIni ic = BuiltIn(1);
  CMpConfig record;
  record.SetIcDefinition(&ic);
  const Bytes erased(65536, 0xFF);
  EXPECT_FALSE(record.ExtractImageInfo(erased));
  EXPECT_FALSE(record.FindCacheCodeEnd(erased).has_value());
  EXPECT_FALSE(record.ParseImage(erased).has_value());
  EXPECT_EQ(record.imageChipId, 0xFF);
}

TEST_F(MpConfigTest, CacheCodeEndIsMeasuredFromTheAreaStart) {
  const CICTypeIni ic = BuiltIn(2);
  CMpConfig record;
  record.SetIcDefinition(&ic);
  const Bytes image = EmbeddedImage(3020);  // its small-cache-code record is the last one
  const std::uint16_t areaLength = static_cast<std::uint16_t>(image[0xF003] | (image[0xF004] << 8));
  EXPECT_EQ(record.FindCacheCodeEnd(image), areaLength);
  EXPECT_FALSE(record.FindCacheCodeEnd(EmbeddedImage(3021)).has_value()) << "no such record";
}

}  // namespace
