#include <unistd.h>

#include <chrono>
#include <thread>

#include "device/ExtUnit.h"
#include "device/ExtUnitEntry.h"
#include "device/KoCamApi.h"
#include "device/ProxyChannel.h"
#include "tests/device/EmulatedBusTest.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

class CommandLockTest : public EmulatedBusTest {
 protected:
  void SetUp() override {
    EmulatedBusTest::SetUp();
    Plug();
    Select();
    ext_ = KoCam_GetExtUnitSet();
    ASSERT_NE(ext_, nullptr);
  }

  // Runs the holder in the background until it says it holds the lock.
  void StartHolder(const std::string& release) {
    holder_ = std::thread([this, release] {
      holderResult_ = RunProgram(BuiltProgram("lumatrace-test-hold-lock"), {lockName_, dir_.File("ready"), release});
    });
    for (int i = 0; i < 500 && access(dir_.File("ready").c_str(), F_OK) != 0; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_EQ(access(dir_.File("ready").c_str(), F_OK), 0) << "the holder never took the lock";
  }

  TempDir dir_;
  std::thread holder_;
  ProgramResult holderResult_;
  CExtUnit* ext_ = nullptr;
};

TEST_F(CommandLockTest, AnotherProcessHoldingItBeyondTenSecondsMakesCommandsGiveUp) {
  StartHolder(dir_.File("release"));
  std::uint8_t buffer[16] = {};
  std::uint32_t r = 0;
  const std::uint64_t before = clock_.NowMs();
  const auto lines = CaptureTrace([&] { r = ext_->ReadMem(0x1000, 16, buffer, nullptr, 0); });
  EXPECT_EQ(r, kResultLockNotTaken);
  EXPECT_GE(clock_.NowMs() - before, 10000u) << "waited the full 10 s (simulated)";
  EXPECT_TRUE(TraceHas(lines, "CExtUnitBase::ReadMem wait time out"));
  EXPECT_FALSE(ext_->DevQualify());

  // The probe-time entry points give up too, instead of sending without the lock.
  const DeviceRecord* rec = KoCam_GetCurrentRecord();
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(ExtUnit_ReadMem(rec->deviceId, static_cast<std::uint8_t>(ext_->UnitId()), 0, 0xFE21, 2, buffer), 0);
  EXPECT_EQ(ProxyLastError(), kUsbErrorSemTimeout);
  EXPECT_TRUE(Log().empty()) << "nothing reached the device";

  WriteFileBytes(dir_.File("release"), "x");
  holder_.join();
  EXPECT_EQ(holderResult_.exitCode, 0) << holderResult_.err;
  EXPECT_EQ(ext_->ReadMem(0x1000, 16, buffer, nullptr, 0), 0u) << "works once the holder let go";
}

TEST_F(CommandLockTest, HolderThatDiedLeavesItAbandonedForTheNextCommandOnly) {
  StartHolder("-");
  holder_.join();
  std::uint8_t buffer[16] = {};
  std::uint32_t r = 0;
  const auto lines = CaptureTrace([&] { r = ext_->ReadMem(0x1000, 16, buffer, nullptr, 0); });
  EXPECT_EQ(r, kResultLockNotTaken);
  EXPECT_TRUE(TraceHas(lines, "CExtUnitBase::ReadMem : WAIT_ABANDONED"));
  EXPECT_TRUE(Log().empty());
  EXPECT_EQ(ext_->ReadMem(0x1000, 16, buffer, nullptr, 0), 0u);
}

TEST_F(CommandLockTest, RecursiveWithinTheOwningThread) {
  NamedMutex own(lockName_);
  ASSERT_EQ(own.Wait(0), MutexWait::kObtained);
  std::vector<std::uint8_t> buffer(0x10000);
  EXPECT_EQ(ext_->ReadMem(0, 0x10000, buffer.data(), nullptr, 0), 0u) << "pieces take it again inside the hold";
  own.Release();
}

}  // namespace
