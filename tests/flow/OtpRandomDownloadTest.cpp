// Many downloads into one emulated OTP, with random cells that refuse to program during each
// write. After every download: a reported success means the chip's effective content (raw OTP
// with its valid ECC records applied, read through the current VD entries) is exactly the
// image's blocks; a failure leaves the tables consistent, corrupts nothing that was current
// and loses no unwritten space, and a clean download right after it either succeeds or is
// refused for lack of space. Seeded, so every finding can be replayed.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>
#include <set>

#include "app/AppContext.h"
#include "app/ParseArg.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"
#include "platform/MessageBox.h"
#include "tests/flow/FlowFixture.h"
#include "tests/support/OtpContent.h"

namespace {

using namespace otp_content;

constexpr int kSeeds = 40;
constexpr int kDownloadsPerSeed = 14;

// Refusals for want of room: no VD entry left (41914 from the space check: this test raises no
// command failures, which share that id), no usable entry, no room below the tables.
bool IsLackOfSpace(std::uint32_t id) {
  return id == IDS_CODE_EXCEED_MAX_LENGTH || id == IDS_NOT_ENOUGH_VD_BLOCK || id == IDS_NOT_FIND_VD_BLOCK ||
         id == IDS_WRITE_OTP_FAIL;
}

class OtpRandomDownloadTest : public FlowFixture {
 protected:
  void SetUp() override {
    FlowFixture::SetUp();
    // Nearly full OTPs are the interesting ones: the operator agrees to go on.
    SetMessageBoxHandler([](const std::string&, const std::string&, MessageBoxButtons) { return MessageBoxAnswer::kYes; });
  }
  void TearDown() override {
    SetMessageBoxHandler({});
    FlowFixture::TearDown();
  }

  // One download of image while the given cells refuse to program; lastErrorCode, 0 after a pass.
  std::uint32_t Download(std::uint32_t port, const std::string& image, const std::vector<std::uint16_t>& badCells,
                         bool* passed) {
    OpenFor(image);
    vcodec::Faults faults;
    faults.otpFailAddresses = badCells;
    EXPECT_TRUE(bus_->ArmFaults(port, faults));
    *passed = Flow().DEV_Command(kOpWrite, image) == 1;
    const std::uint32_t id = *passed ? 0 : lastErrorCode.load();
    EXPECT_TRUE(bus_->ArmFaults(port, {}));
    Flow().DEV_CloseDevice();
    return id;
  }

  // Mostly cells of the space the blocks will take, sometimes cells of the two tables.
  static std::vector<std::uint16_t> BadCells(std::mt19937& random, std::size_t from, std::size_t span) {
    const int counts[] = {0, 0, 1, 1, 2, 3, 4, 6, 10};
    const int count = counts[std::uniform_int_distribution<int>(0, 8)(random)];
    std::set<std::uint16_t> cells;
    for (int i = 0; i < count; ++i) {
      const int place = std::uniform_int_distribution<int>(0, 9)(random);
      std::size_t cell = from + std::uniform_int_distribution<std::size_t>(0, span - 1)(random);
      if (place == 8) cell = kVdTable + std::uniform_int_distribution<std::size_t>(0, 79)(random);
      if (place == 9) cell = kEccTable + std::uniform_int_distribution<std::size_t>(0, 63)(random);
      if (cell < kOtpBytes) cells.insert(static_cast<std::uint16_t>(cell));
    }
    return {cells.begin(), cells.end()};
  }
};

TEST_F(OtpRandomDownloadTest, SuccessMeansTheImageIsWhatTheChipReadsAndFailuresLoseNothing) {
  std::map<std::uint32_t, int> outcomes;
  int downloads = 0, repairs = 0, badCellsArmed = 0;
  for (int seed = 1; seed <= kSeeds; ++seed) {
    std::mt19937 random(static_cast<std::uint32_t>(seed));
    vcodec::DeviceConfig config;
    config.memory = vcodec::MemoryKind::kOtp;
    const std::uint32_t port = Plug(config);
    Blocks current;  // what the chip held after the last success
    bool cleanRetry = false;
    for (int k = 0; k < kDownloadsPerSeed; ++k) {
      const std::string where = "seed " + std::to_string(seed) + " download " + std::to_string(k);
      SCOPED_TRACE(where);
      const std::size_t codeBytes = std::uniform_int_distribution<std::size_t>(200, 3000)(random);
      const std::string serial = "R" + std::to_string(seed) + "-" + std::to_string(k);
      const std::string image = MakeImage("r.rfw", {"--chip", "VXQ62", "--memory", "otp", "--size", "8192", "--area", "0",
                                                     "--capacity", "8192", "--hwap", "0x1060", "--code", "8192",
                                                     "--name", serial, "--otpcode", std::to_string(codeBytes),
                                                     "--serial", serial, "--vidpid", "3C5E,4C15,0000"});
      const Blocks expected = ExpectedBlocks(ReadBytes(image));
      ASSERT_FALSE(expected.code.empty());
      const std::vector<std::uint8_t> before = Memory(port, kOtpBytes);
      const std::vector<std::uint16_t> bad =
          cleanRetry ? std::vector<std::uint16_t>{}
                     : BadCells(random, LastBlockEnd(before), expected.code.size() + expected.config.size());
      badCellsArmed += static_cast<int>(bad.size());

      bool passed = false;
      const std::uint32_t id = Download(port, image, bad, &passed);
      ++downloads;
      ++outcomes[id];
      const std::vector<std::uint8_t> after = Memory(port, kOtpBytes);
      const Current code = CurrentBlock(after, 0x55), configuration = CurrentBlock(after, 0xAA);
      if (passed) {
        EXPECT_EQ(code.bytes, expected.code);
        EXPECT_EQ(configuration.bytes, expected.config);
        const auto info = bus_->Info(port);
        EXPECT_TRUE(info && info->firmware && info->serial == serial);
        for (std::size_t a = code.address; a < code.address + code.bytes.size(); ++a) {
          if (after[a] != code.bytes[a - code.address]) ++repairs;
        }
        current = expected;
      } else {
        // What was current stays readable, or the part that got through is the new one.
        EXPECT_TRUE(code.bytes == current.code || code.bytes == expected.code) << "failed with " << id;
        EXPECT_TRUE(configuration.bytes == current.config || configuration.bytes == expected.config)
            << "failed with " << id;
        if (cleanRetry) {
          EXPECT_TRUE(IsLackOfSpace(id)) << "a clean download after a failure failed with " << id;
        }
      }
      std::string why;
      EXPECT_TRUE(TablesConsistent(after, &why)) << why;
      if (!passed && cleanRetry) break;  // full
      cleanRetry = !passed;
    }
    ASSERT_TRUE(bus_->Remove(port));
  }
  std::printf("[ figures  ] %d downloads over %d seeds; %d cells refused to program, %d bytes of current code blocks read "
              "through repair records\n",
              downloads, kSeeds, badCellsArmed, repairs);
  for (const auto& [id, n] : outcomes) std::printf("[ figures  ] outcome %u: %d\n", id, n);
}

}  // namespace
