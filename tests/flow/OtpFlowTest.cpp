// OTP downloads against the emulated codec: where blocks and entries go, what the chip boots,
// the space questions and limits, the refusals before anything is written, the read of the
// active blocks and the space report.
#include <algorithm>

#include "app/AppContext.h"
#include "app/ParseArg.h"
#include "app/StringPrintf.h"
#include "flow/MemoryObject.h"
#include "flow/OtpInfo.h"
#include "image/IcTables.h"
#include "flow/TextIds.h"
#include "platform/MessageBox.h"
#include "tests/flow/OtpFlowFixture.h"

namespace {

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& m, std::size_t at, std::size_t n) {
  return {m.begin() + static_cast<std::ptrdiff_t>(at), m.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

std::size_t EndOf(const VdEntry& e) { return std::size_t{e.address} + e.length; }

TEST_F(OtpFlowTest, FirstDownloadIntoAnEmptyOtpBootsCodeAndConfiguration) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("first.rfw", 1000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  std::vector<std::string> trace;
  ASSERT_EQ(Write(image, &trace), 1);
  EXPECT_EQ(lastErrorCode.load(), 0);
  EXPECT_EQ(ui_.Count(UM_SUCCESS), 1);
  EXPECT_EQ(ui_.Count(UM_ERROR), 0);
  EXPECT_TRUE(TraceHas(trace, "VD Flag Initial"));
  EXPECT_TRUE(boxes_.empty());
  const std::vector<std::uint8_t> m = Memory(port, 0x4000);
  EXPECT_EQ(Slice(m, 0, blocks.code.size()), blocks.code);
  EXPECT_EQ(Slice(m, blocks.code.size(), blocks.config.size()), blocks.config);
  const VdEntry code = Entry(port, 0), config = Entry(port, 1);
  EXPECT_EQ(code.flag, kVdFlagCode);
  EXPECT_EQ(code.address, 0);
  EXPECT_EQ(code.length, blocks.code.size());
  EXPECT_EQ(config.flag, kVdFlagConfig);
  EXPECT_EQ(config.address, blocks.code.size());
  EXPECT_EQ(config.length, blocks.config.size());
  EXPECT_TRUE(Entry(port, 2).free);
  // Nothing needed repair: the ECC table is untouched.
  for (int i = 1; i <= kOtpEccRecords; ++i) EXPECT_TRUE(Record(port, i).Free()) << i;
  const auto info = bus_->Info(port);
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->firmware);
  EXPECT_EQ(info->version, "1.204.0001-0002.0003");
  EXPECT_EQ(info->serial, "SN0001");
}

TEST_F(OtpFlowTest, LaterDownloadsAppendAndRetireOnlyThePartTheyReplace) {
  const std::uint32_t port = PlugOtp();
  ASSERT_EQ(Write(OtpImage("v1.rfw", 1000, "1.204.0001-0002.0003", "SN0001")), 1);
  const VdEntry config1 = Entry(port, 1);

  // New code only: the old configuration stays current.
  std::vector<std::string> trace;
  ASSERT_EQ(Write(OtpImage("v2.rfw", 1200, "1.204.0009-0002.0003", ""), &trace), 1);
  EXPECT_TRUE(TraceHas(trace, "Find VD Flag 1"));
  EXPECT_EQ(Entry(port, 0).flag, kVdFlagRetired);
  EXPECT_EQ(Entry(port, 1).flag, kVdFlagConfig);
  const VdEntry code2 = Entry(port, 2);
  EXPECT_EQ(code2.flag, kVdFlagCode);
  EXPECT_EQ(code2.address, EndOf(config1));
  EXPECT_EQ(code2.length, 15u + 1208u);
  EXPECT_TRUE(Entry(port, 3).free);
  auto info = bus_->Info(port);
  ASSERT_TRUE(info && info->firmware);
  EXPECT_EQ(info->version, "1.204.0009-0002.0003");
  EXPECT_EQ(info->serial, "SN0001");

  // Both parts: the second code and the first configuration go.
  ASSERT_EQ(Write(OtpImage("v3.rfw", 900, "1.204.0010-0002.0003", "SN0003")), 1);
  EXPECT_EQ(Entry(port, 1).flag, kVdFlagRetired);
  EXPECT_EQ(Entry(port, 2).flag, kVdFlagRetired);
  const VdEntry code3 = Entry(port, 3), config3 = Entry(port, 4);
  EXPECT_EQ(code3.flag, kVdFlagCode);
  EXPECT_EQ(code3.address, EndOf(code2));
  EXPECT_EQ(config3.flag, kVdFlagConfig);
  EXPECT_EQ(config3.address, EndOf(code3));
  info = bus_->Info(port);
  ASSERT_TRUE(info && info->firmware);
  EXPECT_EQ(info->version, "1.204.0010-0002.0003");
  EXPECT_EQ(info->serial, "SN0003");
}

TEST_F(OtpFlowTest, SpaceAndEntriesAreCheckedForBothPartsBeforeEitherIsWritten) {
  const std::string image = OtpImage("space.rfw", 1000);
  const otp_content::Blocks blocks = otp_content::ExpectedBlocks(ReadBytes(image));
  const auto need = static_cast<std::uint16_t>(blocks.code.size() + blocks.config.size());
  const char* kSize = "OTP Code Size Less than 5K,\nContinue to Update!";
  const char* kEntries = "OTP VD Block Less than 4,\nContinue to Update!";
  const char* kNone = "No Available VD Block!";
  struct Case {
    const char* name;
    int inUse;
    std::uint32_t freeBytes;
    bool yes;
    std::vector<std::string> boxes;
    int textId;  // 0: written
  };
  const Case cases[] = {
      {"plenty", 10, 9000, true, {}, 0},
      {"5121 bytes left", 1, 5121, true, {}, 0},
      {"5120 bytes left, yes", 1, 5120, true, {kSize}, 0},
      {"5120 bytes left, no", 1, 5120, false, {kSize}, IDS_WRITE_OTP_FAIL},
      {"five entries left", 11, 9000, false, {}, 0},
      {"four entries left, yes", 12, 9000, true, {kEntries}, 0},
      {"four entries left, no", 12, 9000, false, {kEntries}, IDS_WRITE_OTP_FAIL},
      {"both questions", 12, 5000, true, {kSize, kEntries}, 0},
      {"exactly to the end of the data area", 1, need, true, {kSize}, 0},
      {"one byte short", 1, need - 1u, true, {}, IDS_CODE_EXCEED_MAX_LENGTH},
      {"one entry for two blocks", 15, 9000, true, {kNone}, IDS_WRITE_OTP_FAIL},
      {"no entry", 16, 9000, true, {kNone}, IDS_WRITE_OTP_FAIL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t port = PlugOtp();
    LayUsed(port, c.inUse, static_cast<std::uint16_t>(kOtpDataEnd - c.freeBytes));
    const std::vector<std::uint8_t> before = Memory(port, 0x4000);
    OpenFor(image);
    ui_.posts.clear();
    boxes_.clear();
    AnswerQuestions(c.yes);
    std::vector<std::string> trace;
    int result = -1;
    trace = CaptureTrace([&] { result = Flow().DEV_Command(kOpWrite, image); });
    Flow().DEV_CloseDevice();
    EXPECT_EQ(boxes_, c.boxes);
    if (c.textId == 0) {
      EXPECT_EQ(result, 1);
      const VdEntry code = Entry(port, c.inUse), config = Entry(port, c.inUse + 1);
      EXPECT_EQ(code.flag, kVdFlagCode);
      EXPECT_EQ(code.address, kOtpDataEnd - c.freeBytes);
      EXPECT_EQ(config.flag, kVdFlagConfig);
      EXPECT_LE(EndOf(config), kOtpDataEnd);
      if (c.freeBytes == need) {
        EXPECT_EQ(EndOf(config), kOtpDataEnd);
      }
    } else {
      // Refused before anything was written: neither part, no entry, no consumed space.
      EXPECT_EQ(result, 0);
      EXPECT_EQ(lastErrorCode.load(), c.textId);
      EXPECT_EQ(ui_.Count(UM_ERROR), 1);
      EXPECT_EQ(Memory(port, 0x4000), before);
      if (c.textId == IDS_CODE_EXCEED_MAX_LENGTH) {
        EXPECT_TRUE(TraceHas(trace, "Exceed Code Length"));
      }
    }
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(OtpFlowTest, RefusalsBeforeTheFirstChunkLeaveTheOtpAsItWas) {
  const std::string image = OtpImage("refused.rfw", 1000);
  struct Case {
    const char* name;
    std::function<void(OtpFlowTest&, std::uint32_t)> arrange;
    int textId;
    const char* logLine;
    bool entriesRetired = false;  // the tested entries had an ECC record in them
  };
  const Case cases[] = {
      {"locked", [](OtpFlowTest& t, std::uint32_t port) { t.Arm(port, {}, true); }, IDS_OTP_LOCKED, "Lock"},
      {"locked, with an ECC record in the free entry",
       [](OtpFlowTest& t, std::uint32_t port) {
         t.PutRecord(port, 1, static_cast<std::uint16_t>(VdEntryAddress(0) + 1), 0x01, kEccMarkerValid);
         t.Arm(port, {}, true);
       },
       IDS_OTP_LOCKED, "Lock"},
      {"programmed bytes where the block goes",
       [](OtpFlowTest& t, std::uint32_t port) {
         t.PutEntry(port, 0, 0, 0x100, kVdFlagRetired);
         t.Put(port, 0x180, std::vector<std::uint8_t>(8, 0x3C));
       },
       IDS_LAST_OTP_WRITE_ABNORMAL, "Last OTP Write Operation Abnomal"},
      {"every free entry has an ECC record in it",
       [](OtpFlowTest& t, std::uint32_t port) {
         for (int k = 0; k < 16; ++k) t.PutRecord(port, k + 1, static_cast<std::uint16_t>(VdEntryAddress(k) + 1), 0x01, kEccMarkerValid);
       },
       IDS_NOT_FIND_VD_BLOCK, "Not Find Sel Block", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t port = PlugOtp();
    c.arrange(*this, port);
    const std::vector<std::uint8_t> before = Memory(port, 0x3F70);
    std::vector<std::string> trace;
    EXPECT_EQ(Write(image, &trace), 0);
    EXPECT_EQ(lastErrorCode.load(), c.textId);
    EXPECT_EQ(ui_.Count(UM_ERROR), 1);
    EXPECT_EQ(ui_.Count(UM_SUCCESS), 0);
    EXPECT_TRUE(TraceHas(trace, c.logLine));
    EXPECT_EQ(Memory(port, 0x3F70), before);
    for (int k = c.entriesRetired ? 0 : 1; k < kOtpVdEntries; ++k) {
      // Such an entry can never hold a block: flag and record are both retired.
      EXPECT_EQ(Entry(port, k).flag, c.entriesRetired ? kVdFlagRetired : 0) << k;
      if (c.entriesRetired) {
        EXPECT_EQ(Record(port, k + 1).marker, kEccMarkerRetired) << k;
      }
    }
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(OtpFlowTest, ImagesWithoutAUsableBlockAreRefused) {
  const std::string good = OtpImage("good.rfw", 1000);
  const std::vector<std::uint8_t> bytes = ReadBytes(good);
  struct Case {
    const char* name;
    std::function<std::vector<std::uint8_t>()> make;
  };
  const auto edited = [&](std::size_t at, std::vector<std::uint8_t> values) {
    return [&bytes, at, values] {
      std::vector<std::uint8_t> b = bytes;
      std::copy(values.begin(), values.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
      return b;
    };
  };
  const Case cases[] = {
      {"no signature in byte 1", edited(1, {0x00})},
      {"area longer than the image", edited(3, {0x01, 0x40})},
      {"code record longer than the area", edited(17, {0xF0, 0x3F})},
      {"code record behind the strings",
       [&] { return ReadBytes(OtpImage("late.rfw", 0, "1.204.0001-0002.0003", "SN1", {"--cachecode", "500"})); }},
      {"code block past the data area", [&] { return ReadBytes(OtpImage("huge.rfw", 16202, "1.204.0001-0002.0003", "")); }},
      {"neither code nor configuration", [&] { return ReadBytes(OtpImage("empty.rfw", 0, "1.204.0001-0002.0003", "")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::uint32_t port = PlugOtp();
    OpenFor(good);
    Flow().imageBytes = c.make();
    ui_.posts.clear();
    EXPECT_EQ(Flow().Download(), 0);
    Flow().DEV_CloseDevice();
    EXPECT_EQ(lastErrorCode.load(), IDS_GET_VD_CODE_FAIL);
    EXPECT_EQ(ui_.Count(UM_ERROR), 1);
    EXPECT_EQ(Memory(port, 0x4000), std::vector<std::uint8_t>(0x4000, 0x00));
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(OtpFlowTest, LargestCodeBlockFillsTheDataAreaExactly) {
  const std::uint32_t port = PlugOtp();
  // 15 header bytes + 8 record head + 16201 code bytes = 16224.
  ASSERT_EQ(Write(OtpImage("full.rfw", 16201, "1.204.0001-0002.0003", "")), 1);
  const VdEntry code = Entry(port, 0);
  EXPECT_EQ(code.flag, kVdFlagCode);
  EXPECT_EQ(EndOf(code), kOtpDataEnd);
  EXPECT_TRUE(Entry(port, 1).free);
}

TEST_F(OtpFlowTest, ConfigurationOnlyImageIsOneBlockOfTheWholeArea) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("config.rfw", 0);
  const std::vector<std::uint8_t> bytes = ReadBytes(image);
  const std::size_t total = bytes[3] | (bytes[4] << 8);
  ASSERT_EQ(Write(image), 1);
  const VdEntry config = Entry(port, 0);
  EXPECT_EQ(config.flag, kVdFlagConfig);
  EXPECT_EQ(config.address, 0);
  EXPECT_EQ(config.length, total);
  EXPECT_EQ(Slice(Memory(port, 0x4000), 0, total), Slice(bytes, 0, total));
  EXPECT_TRUE(Entry(port, 1).free);
}

TEST_F(OtpFlowTest, ReadAssemblesTheActiveBlocksIntoOneImage) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("read.rfw", 1000);
  const std::vector<std::uint8_t> bytes = ReadBytes(image);
  const std::size_t total = bytes[3] | (bytes[4] << 8);
  ASSERT_EQ(Write(image), 1);
  App().memoryType = kMemoryOtp;
  OpenFor(image);
  const std::string dump = dir_.File("dump/otp.bin");
  ui_.posts.clear();
  ASSERT_EQ(Flow().DEV_Command('R', dump), 1);
  ASSERT_FALSE(ui_.posts.empty());
  EXPECT_EQ(ui_.posts.back(), std::make_pair(std::uint32_t{UM_SUCCESS}, std::uintptr_t{IDS_READ_OTP_SUCCEED}));
  std::vector<std::uint8_t> expected = Slice(bytes, 0, total);
  expected[2] = static_cast<std::uint8_t>((bytes[2] & 0xF8) | 2);
  EXPECT_EQ(ReadBytes(dump), expected);
  Flow().DEV_CloseDevice();

  // Code and configuration blocks of one length: each part's address comes from its own entry.
  const std::uint32_t other = PlugOtp();
  std::vector<std::uint8_t> code(40, 0x11), config(40, 0x22);
  code[1] = config[1] = 0xA5;
  Put(other, 0x100, code);
  Put(other, 0x200, config);
  PutEntry(other, 0, 0x100, 40, kVdFlagCode);
  PutEntry(other, 1, 0x200, 40, kVdFlagConfig);
  ASSERT_TRUE(bus_->Remove(port));
  OpenFor(image);
  ASSERT_EQ(Flow().DEV_Command('R', dump), 1);
  const std::vector<std::uint8_t> read = ReadBytes(dump);
  ASSERT_EQ(read.size(), 40u + 25u);
  EXPECT_EQ(Slice(read, 6, 34), Slice(code, 6, 34));
  EXPECT_EQ(Slice(read, 40, 25), Slice(config, 15, 25));
  Flow().DEV_CloseDevice();
}

TEST_F(OtpFlowTest, ReadOfAnEmptyOtpStopsWithCodeNotExist) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("read.rfw", 1000);
  OpenFor(image);
  ui_.posts.clear();
  const std::string dump = dir_.File("none.bin");
  EXPECT_EQ(Flow().DEV_Command('R', dump), 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_OTP_CODE_NOT_EXIST);
  EXPECT_EQ(ui_.Count(UM_ERROR), 1);
  EXPECT_EQ(ui_.Count(UM_SUCCESS), 0);
  EXPECT_TRUE(ReadBytes(dump).empty());
  EXPECT_EQ(Memory(port, 0x4000), std::vector<std::uint8_t>(0x4000, 0x00));
  Flow().DEV_CloseDevice();
}

TEST_F(OtpFlowTest, SpaceReportCountsTheLastBlockAndSkipsEntriesOutsideTheDataArea) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("space.rfw", 1000);
  ASSERT_EQ(Write(image), 1);
  const std::size_t used = EndOf(Entry(port, 1));
  // An entry naming space past the data area is no block.
  PutEntry(port, 2, 0x3F00, 0x0200, kVdFlagRetired);
  const std::string small = OtpImage("small.rfw", 1000, "1.204.0001-0002.0003", "SN1", {"--size", "2048", "--capacity", "2048"});
  struct Case {
    const std::string* path;
    int remaining;
  };
  for (const Case& c : {Case{&image, 0}, Case{&small, static_cast<int>(std::min<std::size_t>((kOtpDataEnd - used) / 2048, 13))}}) {
    OpenFor(image);
    ASSERT_EQ(Flow().DEV_Command('C', *c.path), 1);
    EXPECT_EQ(Flow().m_uUsedOtp, used);
    const float usedKb = static_cast<float>(used) / 1024.0f;
    const float freeKb = static_cast<float>(kOtpDataEnd - used) / 1024.0f;
    EXPECT_EQ(Flow().OtpSpaceConsoleText(),
              StringPrintf("Used OTP Space: %0.2f KB\nFree OTP Space: %0.2f KB\nRemaining Programmable Times: %d.",
                           static_cast<double>(usedKb), static_cast<double>(freeKb), c.remaining));
    EXPECT_EQ(Flow().m_strOtpText,
              StringPrintf("Used OTP Space: %0.2f KB Free OTP Space: %0.2f KB Remaining Programmable Times: %d.",
                           static_cast<double>(usedKb), static_cast<double>(freeKb), c.remaining));
    Flow().DEV_CloseDevice();
  }
  // A new memory object for the same device keeps what the report found.
  RecreateMemoryObjectKeepingDevice(kMemoryOtp, 0);
  EXPECT_EQ(Flow().m_uUsedOtp, used);
  EXPECT_FALSE(Flow().m_strOtpText.empty());
  OpenFor(image);
  EXPECT_EQ(Flow().DEV_Command('C', dir_.File("missing.rfw")), 0);
  Flow().DEV_CloseDevice();

  // The next download starts after the last real block, not after the bogus entry.
  ASSERT_EQ(Write(OtpImage("next.rfw", 800, "1.204.0002-0002.0003", "SN2")), 1);
  EXPECT_EQ(Entry(port, 3).flag, kVdFlagCode);
  EXPECT_EQ(Entry(port, 3).address, used);
}

}  // namespace
