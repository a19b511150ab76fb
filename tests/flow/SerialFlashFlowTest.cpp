// Serial-flash updates against emulated codecs: what reaches the flash, what the chip boots,
// and every failure of the flow with its text id, its log line and the protection restored.
#include <algorithm>
#include <functional>

#include "app/AppContext.h"
#include "app/ParseArg.h"
#include "flow/MpFlow.h"
#include "flow/StopFlag.h"
#include "flow/TextIds.h"
#include "tests/flow/FlowFixture.h"

namespace {

constexpr std::uint8_t kSpiRead = 0x2E;
constexpr std::uint8_t kSpiWrite = 0x2F;
constexpr std::uint8_t kSpiWriteSr = 0x31;
constexpr std::uint8_t kResetRom = 0x22;

const std::vector<std::string> kQ62Image = {"--chip", "VXQ62", "--code", "0xEFFE", "--memory", "flash",
                                            "--version", "1.204.0001-0002.0003", "--serial", "SN42",
                                            "--vidpid", "3C5E,4C15,0000"};

vcodec::DeviceConfig Legacy() {
  vcodec::DeviceConfig c;
  c.model = vcodec::ChipModel::kVXQ61;
  c.chipId = 0x0000;
  return c;
}

class SerialFlashFlowTest : public FlowFixture {
 protected:
  // The command line's write: open, settle the IC type on the image, write.
  int Write(const std::string& image) {
    OpenFor(image);
    return Flow().DEV_Command(kOpWrite, image);
  }
  static bool FlashProtected(vcodec::Bus& bus, std::uint32_t port, std::uint32_t a, std::uint32_t b) {
    return (bus.FlashStatus(port).value_or(0) & 0x8C) == 0x8C && (bus.Register(port, a).value_or(0) & 1) == 1 &&
           (bus.Register(port, b).value_or(1) & 1) == 0;
  }
};

TEST_F(SerialFlashFlowTest, ModeRegisterChipBootsTheWrittenImage) {
  const std::uint32_t port = Plug();
  const std::string image = MakeImage("fw.rfw", kQ62Image);
  ASSERT_EQ(Write(image), 1);
  EXPECT_EQ(lastErrorCode.load(), 0);
  EXPECT_EQ(Memory(port, 65536), ReadBytes(image));
  const auto info = bus_->Info(port);
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->firmware);
  EXPECT_EQ(info->version, "1.204.0001-0002.0003");
  EXPECT_EQ(info->serial, "SN42");
  // The tool reads the running version as the chip reports it.
  Flow().MP_GetDeviceInfo();
  EXPECT_EQ(Flow().m_strFwVer, "1.204.0001-0002.0003");
  EXPECT_TRUE(FlashProtected(*bus_, port, 0xFEC0, 0xFEC6));
}

TEST_F(SerialFlashFlowTest, LegacyChipGetsItsTagLast) {
  const std::uint32_t port = Plug(Legacy());
  const std::string image = MakeImage("q61.rfw", {"--chip", "VXQ61", "--memory", "flash", "--tag", "0xEFFE",
                                                  "--version", "1.100.0001-0001.0001"});
  bus_->ClearLog();
  ASSERT_EQ(Write(image), 1);
  EXPECT_EQ(Memory(port, 65536), ReadBytes(image));
  // The last flash write is the two tag bytes; the chunk that holds them wrote 0xFF there.
  std::vector<vcodec::TransferRecord> writes;
  for (const auto& r : bus_->Log()) {
    if (r.port == port && r.setup.request == kSpiWrite) writes.push_back(r);
  }
  ASSERT_FALSE(writes.empty());
  EXPECT_EQ(writes.back().setup.index, 0xEFFE);
  EXPECT_EQ(writes.back().data, (std::vector<std::uint8_t>{0x55, 0xAA}));
  const auto chunk = std::find_if(writes.begin(), writes.end(), [](const auto& r) { return r.setup.index == 0xE000; });
  ASSERT_NE(chunk, writes.end());
  EXPECT_EQ(chunk->data[0xFFE], 0xFF);
  EXPECT_EQ(chunk->data[0xFFF], 0xFF);
  EXPECT_TRUE(bus_->Info(port)->firmware);
  EXPECT_TRUE(FlashProtected(*bus_, port, 0xFEA0, 0xFEA6));
}

struct FailureCase {
  const char* name;
  bool legacy;
  // Arms the fault; number(match, last) finds a transfer of a dry run.
  std::function<void(vcodec::Faults&, const std::function<std::uint64_t(std::uint8_t, bool)>&)> arm;
  int textId;
  const char* logLine;
  bool protectionRestored;
};

TEST_F(SerialFlashFlowTest, EveryFailureIsReportedWithItsIdAndNeverAsAPass) {
  const FailureCase cases[] = {
      {"status register stays busy", false, [](auto& f, auto&) { f.busyForever = true; },
       IDS_DISABLE_WRITE_PROTECT_FAIL, "Waiting Time Out", false},
      {"erase fails", false, [](auto& f, auto&) { f.eraseFails = true; }, IDS_ERASE_FLASH_FAIL,
       "Erase Flash Fail", true},
      {"empty check cannot read", false, [](auto& f, auto&) { f.stallRequest = kSpiRead; },
       IDS_CHECK_EMPTY_FAIL, "Check Flash Empty Fail", true},
      {"write refused", false, [](auto& f, auto&) { f.stallRequest = kSpiWrite; }, IDS_UPDATE_FLASH_FAIL,
       "Write Flash Code Fail", true},
      {"bit that does not program", false, [](auto& f, auto&) { f.stuckBits.push_back({0x0100, 0xFF}); },
       IDS_COMPARE_DATA_FAIL, "Check Flash Code Fail", true},
      {"tag write lost", true, [](auto& f, auto& n) { f.removeAtTransfer = n(kSpiWrite, true); },
       IDS_WRITE_TAG_FAIL, "Write Tag Fail", false},
      {"protection not restored", false, [](auto& f, auto& n) { f.stallTransfer = n(kSpiWriteSr, true); },
       IDS_ENABLE_WRITE_PROTECT_FAIL, "Enable Write Protect Fail", false},
      {"reset into new code refused", false, [](auto& f, auto&) { f.stallRequest = kResetRom; },
       IDS_RESET_DEVICE_FAIL, "Devcie ResetToCache Fail", true},
  };
  const std::string q62 = MakeImage("fw.rfw", kQ62Image);
  const std::string q61 = MakeImage("q61.rfw", {"--chip", "VXQ61", "--memory", "flash", "--tag", "0xEFFE"});
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string image = c.legacy ? q61 : q62;
    const vcodec::DeviceConfig config = c.legacy ? Legacy() : vcodec::DeviceConfig{};
    // A dry run on a twin device finds the transfer numbers of the steps.
    std::uint32_t port = 0;
    const auto dry = DryRun(config, image, &port);
    auto number = [&](std::uint8_t request, bool last) {
      std::uint64_t n = 0, found = 0;
      for (const auto& r : dry) {
        if (r.port != port) continue;
        ++n;
        if (r.setup.request == request && (found == 0 || last)) found = n;
      }
      return found;
    };

    port = Plug(config);
    OpenFor(image);
    vcodec::Faults faults;
    c.arm(faults, number);
    ASSERT_TRUE(bus_->ArmFaults(port, faults));
    std::vector<std::string> trace;
    int result = -1;
    trace = CaptureTrace([&] { result = Flow().DEV_Command(kOpWrite, image); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(lastErrorCode.load(), c.textId);
    EXPECT_TRUE(TraceHas(trace, c.logLine));
    if (c.protectionRestored) {
      (void)bus_->ClearFaults(port);
      EXPECT_TRUE(c.legacy ? FlashProtected(*bus_, port, 0xFEA0, 0xFEA6)
                           : FlashProtected(*bus_, port, 0xFEC0, 0xFEC6));
    }
    Flow().DEV_CloseDevice();
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(SerialFlashFlowTest, LegacyImageWithoutTagIsNotRunningAfterTheReset) {
  Plug(Legacy());
  const std::string image = MakeImage("untagged.rfw", {"--chip", "VXQ61", "--memory", "flash"});
  std::vector<std::string> trace;
  int result = -1;
  trace = CaptureTrace([&] { result = Write(image); });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(TraceHas(trace, "Device is not in cache mode"));
  // The flow's own post, then the update's failure id.
  EXPECT_EQ(lastErrorCode.load(), IDS_RESET_DEVICE_FAIL);
}

TEST_F(SerialFlashFlowTest, StopRequestEndsTheUpdateAsAFailure) {
  const std::uint32_t port = Plug();
  const std::string image = MakeImage("fw.rfw", kQ62Image);
  OpenFor(image);
  SetStopRequested(true);
  EXPECT_EQ(Flow().DEV_Command(kOpWrite, image), 0);
  SetStopRequested(false);
  EXPECT_NE(lastErrorCode.load(), 0);
  EXPECT_FALSE(bus_->Info(port)->firmware);
}

TEST_F(SerialFlashFlowTest, InterruptedWriteFailsAndASecondRunSucceeds) {
  const std::uint32_t port = Plug();
  const std::string image = MakeImage("fw.rfw", kQ62Image);
  OpenFor(image);
  vcodec::Faults faults;
  faults.removeAtTransfer = 60;  // in the middle of the chunk writes
  ASSERT_TRUE(bus_->ArmFaults(port, faults));
  EXPECT_EQ(Flow().DEV_Command(kOpWrite, image), 0);
  EXPECT_NE(lastErrorCode.load(), 0);
  Flow().DEV_CloseDevice();
  ASSERT_TRUE(bus_->ClearFaults(port));
  ASSERT_TRUE(bus_->Replug(port));
  ASSERT_EQ(Write(image), 1);
  EXPECT_EQ(Memory(port, 65536), ReadBytes(image));
  EXPECT_TRUE(bus_->Info(port)->firmware);
}

TEST_F(SerialFlashFlowTest, VerifyComparesTheWholeImage) {
  const std::uint32_t port = Plug();
  const std::string image = MakeImage("fw.rfw", kQ62Image);
  ASSERT_EQ(Write(image), 1);
  Flow().DEV_CloseDevice();
  OpenFor(image);
  EXPECT_EQ(Flow().DEV_Command(kOpVerify, image), 1);
  std::vector<std::uint8_t> changed = ReadBytes(image);
  changed[0x1234] ^= 0x01;
  const std::string other = dir_.Write("changed.rfw", std::string(changed.begin(), changed.end()));
  EXPECT_EQ(Flow().DEV_Command(kOpVerify, other), 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_COMPARE_DATA_FAIL);
  EXPECT_TRUE(bus_->Info(port)->firmware);
}

}  // namespace
