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

  // One download of image with faults armed after the open; lastErrorCode, 0 after a pass.
  std::uint32_t Download(std::uint32_t port, const std::string& image, const vcodec::Faults& faults, bool* passed) {
    OpenFor(image);
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
      vcodec::Faults faults;
      faults.otpFailAddresses = bad;
      const std::uint32_t id = Download(port, image, faults, &passed);
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

// A transfer lost at any point of a download that supersedes an earlier one: stalled once (the
// device stays and every clean-up can run) or the device pulled out there (nothing more can
// run). Never a success that is not one, never a mixed block; after a stall the tables are
// consistent and the next download goes through; after a removal the chip still boots the old
// or the new image and the next download either goes through or finds the abnormal leftovers.
TEST_F(OtpRandomDownloadTest, ATransferLostAnywhereNeverLeavesAFalseSuccessOrAMixedBlock) {
  const auto image = [&](const char* name, std::size_t code) {
    return MakeImage(name, {"--chip", "VXQ62", "--memory", "otp", "--size", "8192", "--area", "0", "--capacity", "8192",
                            "--hwap", "0x1060", "--code", "8192", "--name", name, "--otpcode", std::to_string(code),
                            "--serial", name, "--vidpid", "3C5E,4C15,0000"});
  };
  const std::string a = image("A", 1500), b = image("B", 1800);
  const Blocks first = ExpectedBlocks(ReadBytes(a)), second = ExpectedBlocks(ReadBytes(b));
  vcodec::DeviceConfig config;
  config.memory = vcodec::MemoryKind::kOtp;
  const auto prepared = [&] {
    const std::uint32_t port = Plug(config);
    bool passed = false;
    EXPECT_EQ(Download(port, a, {}, &passed), 0u);
    return port;
  };
  // The transfers of the second download, counted from its open.
  std::uint32_t port = prepared();
  OpenFor(b);
  (void)bus_->ResetCounters(port);
  ASSERT_EQ(Flow().DEV_Command(kOpWrite, b), 1);
  const std::uint64_t transfers = bus_->Counters(port)->transfers;
  Flow().DEV_CloseDevice();
  ASSERT_TRUE(bus_->Remove(port));

  std::map<std::string, int> outcomes;
  const std::uint64_t step = std::max<std::uint64_t>(1, transfers / 90);
  for (const bool removal : {false, true}) {
    for (std::uint64_t n = 1; n <= transfers; n += step) {
      const std::string where = std::string(removal ? "removed" : "stalled") + " at transfer " + std::to_string(n);
      SCOPED_TRACE(where);
      port = prepared();
      vcodec::Faults faults;
      (removal ? faults.removeAtTransfer : faults.stallTransfer) = n;
      bool passed = false;
      const std::uint32_t id = Download(port, b, faults, &passed);
      if (removal) {
        ASSERT_TRUE(bus_->Replug(port));
      }
      std::vector<std::uint8_t> otp = Memory(port, kOtpBytes);
      const Current code = CurrentBlock(otp, 0x55), configuration = CurrentBlock(otp, 0xAA);
      if (passed) {
        EXPECT_EQ(code.bytes, second.code);
        EXPECT_EQ(configuration.bytes, second.config);
      } else {
        EXPECT_TRUE(code.bytes == first.code || code.bytes == second.code) << "failed with " << id;
        EXPECT_TRUE(configuration.bytes == first.config || configuration.bytes == second.config) << "failed with " << id;
      }
      std::string why;
      if (!removal) {
        EXPECT_TRUE(TablesConsistent(otp, &why)) << why;
      }
      // The next download, undisturbed.
      bool again = false;
      const std::uint32_t next = Download(port, b, {}, &again);
      otp = Memory(port, kOtpBytes);
      if (again) {
        EXPECT_EQ(CurrentBlock(otp, 0x55).bytes, second.code);
        EXPECT_EQ(CurrentBlock(otp, 0xAA).bytes, second.config);
      } else {
        EXPECT_TRUE(removal && next == IDS_LAST_OTP_WRITE_ABNORMAL) << "the next download failed with " << next;
      }
      ++outcomes[std::string(removal ? "removed: " : "stalled: ") + (passed ? "passed" : std::to_string(id)) + ", next " +
                 (again ? "passed" : std::to_string(next))];
      ASSERT_TRUE(bus_->Remove(port));
    }
  }
  std::printf("[ figures  ] %llu transfers in the download, every %llu-th lost\n",
              static_cast<unsigned long long>(transfers), static_cast<unsigned long long>(step));
  for (const auto& [what, count] : outcomes) std::printf("[ figures  ] %s: %d\n", what.c_str(), count);
}

}  // namespace
