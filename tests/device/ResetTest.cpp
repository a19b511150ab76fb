#include "device/ResetAndReopen.h"

#include "device/DeviceDiscovery.h"
#include "device/ExtUnit.h"
#include "device/KoCamApi.h"
#include "tests/device/EmulatedBusTest.h"

namespace {

constexpr std::uint32_t kWaitMs = 5000;

class ResetTest : public EmulatedBusTest {
 protected:
  std::uint32_t PlugAndSelect(vcodec::DeviceConfig config = {}) {
    port_ = Plug(config);
    return Select();
  }
  std::uint32_t port_ = 0;
};

TEST_F(ResetTest, EachKindReEnumeratesAndSwapsInTheNewRecord) {
  struct Case {
    const char* what;
    std::function<int(std::uint32_t*)> reset;
    std::uint8_t vendorRequest;
    bool chipCodeStep;
  };
  const Case cases[] = {
      {"to update code (7)", [](std::uint32_t* h) { return KoCam_ResetToUpdateFW(h, 0, 0, kWaitMs); }, 0x20, true},
      {"to ROM, audio classes (9)", [](std::uint32_t* h) { return KoCam_ResetToNewCode(h, kKoCamAudioClasses, kWaitMs); },
       0x22, true},
      {"to ROM by vendor request (10)",
       [](std::uint32_t* h) { return KoCam_ResetToRom(h, kKoCamAudioClasses | kKoCamChannelFromCaps, kWaitMs); }, 0x22,
       false},
  };
  PlugAndSelect();
  for (const Case& c : cases) {
    const std::uint32_t before = KoCam_GetDevNode();
    const std::uint64_t oldId = KoCam_GetCurrentRecord()->deviceId;
    std::uint32_t handle = 0;
    int ok = 0;
    ClearLog();
    const auto lines = CaptureTrace([&] { ok = c.reset(&handle); });
    ASSERT_EQ(ok, 1) << c.what << (lines.empty() ? "" : lines.back());
    EXPECT_NE(handle, 0u) << c.what;
    EXPECT_NE(handle, before) << c.what << ": a new node after re-enumeration";
    EXPECT_EQ(handle, KoCam_GetDevNode()) << c.what;
    EXPECT_NE(KoCam_GetCurrentRecord()->deviceId, oldId) << c.what;
    bool sent = false;
    bool chipCodeRead = false;
    for (const auto& t : Log()) {
      if (sent || !IsVendor(t)) continue;
      sent = t.setup.request == c.vendorRequest;
      chipCodeRead = chipCodeRead || (t.setup.request == 0x25 && t.setup.index == 0xFE21);
    }
    EXPECT_TRUE(sent) << c.what;
    EXPECT_EQ(chipCodeRead, c.chipCodeStep) << c.what << ": chip code read before the reset";
    for (const char* line : {"Is same dev location", "disconnected, new device", "Old device safe to be closed",
                             "Device reset ok", "New hKoProxyDev="}) {
      EXPECT_TRUE(TraceHas(lines, line)) << c.what << ": " << line;
    }
    std::uint8_t status[104];
    EXPECT_EQ(KoCam_GetDevStatus(status, 0), 1) << c.what << ": usable afterwards";
  }
}

TEST_F(ResetTest, ExtensionUnitResetMapsTheArgument) {
  PlugAndSelect();
  std::uint32_t handle = 0;
  ClearLog();
  ASSERT_EQ(KoCam_ResetToUpdateFW(&handle, 0, kKoCamUseExtUnit, kWaitMs), 1);
  bool sent = false;
  for (const auto& block : Commands(Log())) {
    if (block[1] == 0x07) {
      EXPECT_EQ(Hex(block), "00 07 01 00 00 00 00 00") << "mode 0 goes out as 1";
      sent = true;
    }
  }
  EXPECT_TRUE(sent);
}

TEST_F(ResetTest, CommandSetsAreRebuiltSoTheDataUnitIsBackAtEight) {
  PlugAndSelect();
  std::uint16_t size = 64;
  ASSERT_EQ(KoCam_ChangeDataControlSize(&size), 1);
  CExtUnit* before = KoCam_GetExtUnitSet();
  ASSERT_EQ(before->DataControlSize(), 64u);
  std::uint32_t handle = 0;
  ASSERT_EQ(KoCam_ResetToNewCode(&handle, kKoCamAudioClasses, kWaitMs), 1);
  ASSERT_NE(KoCam_GetExtUnitSet(), nullptr);
  EXPECT_EQ(KoCam_GetExtUnitSet()->DataControlSize(), 8u);
}

TEST_F(ResetTest, FastResetNeitherWaitsNorChecksThatTheOldDeviceLeft) {
  PlugAndSelect();
  std::uint32_t handle = 0;
  int ok = 0;
  const std::uint64_t start = clock_.NowMs();
  const auto lines = CaptureTrace([&] { ok = KoCam_ResetToUpdateFW(&handle, 2, 0, kWaitMs); });
  EXPECT_EQ(ok, 1);
  EXPECT_TRUE(TraceHas(lines, "Fast reset mode, not checking old device disconnect"));
  EXPECT_LT(clock_.NowMs() - start, kWaitMs) << "no wait before the search";
}

TEST_F(ResetTest, DeviceAtAnotherPortIsOpenedRejectedAndClosed) {
  vcodec::DeviceConfig other;
  other.port = 1;
  Plug(other);
  vcodec::DeviceConfig mine;
  mine.port = 4;
  Plug(mine);
  ASSERT_NE(KoCam_SelectDevice(1), 0u);
  const std::string oldPath = KoCam_GetCurrentRecord()->locationPath;
  std::uint32_t handle = 0;
  int ok = 0;
  const auto lines = CaptureTrace([&] { ok = KoCam_ResetToNewCode(&handle, kKoCamAudioClasses, kWaitMs); });
  ASSERT_EQ(ok, 1);
  EXPECT_TRUE(TraceHas(lines, "Close device that is not match"));
  EXPECT_EQ(KoCam_GetCurrentRecord()->locationPath, oldPath) << "found again at its own port";
}

TEST_F(ResetTest, SearchAmongCameraClassesTimesOutThenDeviceZeroIsSelectedAgain) {
  PlugAndSelect();
  std::uint32_t handle = 0;
  int ok = 1;
  const std::uint64_t start = clock_.NowMs();
  const auto lines = CaptureTrace([&] { ok = KoCam_ResetToNewCode(&handle, 0, kWaitMs); });
  EXPECT_EQ(ok, 0);
  EXPECT_TRUE(TraceHas(lines, "Re-open device timeout, return ERROR_TIMEOUT, Old device closed"));
  EXPECT_GE(clock_.NowMs() - start, kResetBudgetMs) << "the budget ran out (simulated time)";
  EXPECT_NE(handle, 0u) << "device 0 selected again";
  EXPECT_EQ(handle, KoCam_GetDevNode());
}

TEST_F(ResetTest, DeviceThatStaysAwayEndsInTimeOutAndNoDeviceIsCurrent) {
  PlugAndSelect();
  vcodec::Faults f;
  f.slowReturnMs = 60000;
  bus_->ArmFaults(port_, f);
  std::uint32_t handle = 1;
  const std::uint64_t start = clock_.NowMs();
  EXPECT_EQ(KoCam_ResetToNewCode(&handle, kKoCamAudioClasses, kWaitMs), 0);
  const std::uint64_t spent = clock_.NowMs() - start;
  EXPECT_GE(spent, kWaitMs + kResetBudgetMs);
  EXPECT_LT(spent, 60000u) << "gave up at the budget, not when the device came back";
  EXPECT_EQ(handle, 0u);
  EXPECT_EQ(KoCam_GetDevNode(), 0u);
}

TEST_F(ResetTest, CompanionPortMatchesADeviceBackOnTheOtherHalfOfItsPort) {
  vcodec::DeviceConfig config;
  config.hasCompanion = true;
  config.chipId = 0x1012;  // a USB 3 capable family
  PlugAndSelect(config);
  EXPECT_NE(LearnedCompanionPort(), 0) << "learned while the device was opened";
  vcodec::Faults f;
  f.returnOnCompanion = true;
  bus_->ArmFaults(port_, f);
  const std::string before = KoCam_GetCurrentRecord()->locationPath;
  std::uint32_t handle = 0;
  ASSERT_EQ(KoCam_ResetToNewCode(&handle, kKoCamAudioClasses, kWaitMs), 1);
  EXPECT_NE(KoCam_GetCurrentRecord()->locationPath, before) << "came back on the companion half";
  SetLearnedCompanionPort(0);
  EXPECT_FALSE(SameLocationPath(KoCam_GetCurrentRecord()->locationPath, before)) << "only the companion rule matches";
}

TEST_F(ResetTest, SlowChipWaitsTwoSecondsMoreAfterTheReset) {
  const auto resetTime = [&](std::uint16_t chipId) {
    vcodec::DeviceConfig config;
    config.chipId = chipId;
    PlugAndSelect(config);
    std::uint32_t handle = 0;
    const std::uint64_t start = clock_.NowMs();
    EXPECT_EQ(KoCam_ResetToNewCode(&handle, kKoCamAudioClasses, kWaitMs), 1) << std::hex << chipId;
    const std::uint64_t spent = clock_.NowMs() - start;
    (void)KoCam_CloseDevice();
    (void)bus_->Remove(port_);
    return spent;
  };
  const std::uint64_t normal = resetTime(0x0021);
  const std::uint64_t slow = resetTime(0xB013);
  EXPECT_EQ(slow - normal, 2000u);
}

TEST_F(ResetTest, UnusableRecordIsRefused) {
  DeviceRecord record;
  ResetRequest rq;
  EXPECT_EQ(ResetAndReopen(&record, rq), kUsbErrorInvalidParameter);
}

}  // namespace
