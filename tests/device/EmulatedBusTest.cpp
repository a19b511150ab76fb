#include "tests/device/EmulatedBusTest.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

#include "device/CommandLock.h"
#include "device/DeviceDiscovery.h"
#include "device/KoCamApi.h"
#include "device/ProxyChannel.h"
#include "platform/DebugChannel.h"

void EmulatedBusTest::SetUp() {
  static std::atomic<int> counter{0};
  SetClockForTesting(&clock_);
  lockName_ = "test-device-lock-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  SetCommandLockNameForTesting(lockName_);
  bus_ = vcodec::Bus::CreateInMemory(ProgramTimeSource());
  ASSERT_TRUE(bus_);
  emulator_ = std::make_unique<EmulatorBackend>(*bus_);
  backend_ = std::make_unique<InterposedBackend>(*emulator_);
  SetUsbBackendForTesting(backend_.get());
  SetLearnedCompanionPort(0);
  ASSERT_EQ(KoCam_Init(0), 1);
}

void EmulatedBusTest::TearDown() {
  (void)KoCam_Uninit();
  SetUsbBackendForTesting(nullptr);
  backend_.reset();
  emulator_.reset();
  bus_.reset();
  SetCommandLockNameForTesting("");
  shm_unlink(("/lumatrace-" + lockName_).c_str());
  SetClockForTesting(nullptr);
}

std::uint32_t EmulatedBusTest::Plug(vcodec::DeviceConfig config) {
  std::string error;
  const std::optional<std::uint32_t> port = bus_->Plug(config, {}, &error);
  EXPECT_TRUE(port.has_value()) << error;
  return port.value_or(0);
}

std::uint32_t EmulatedBusTest::Select(std::uint32_t index) {
  const std::uint32_t handle = KoCam_SelectDevice(index);
  EXPECT_NE(handle, 0u) << "device " << index << " not selectable";
  ClearLog();
  return handle;
}

bool IsCommand(const vcodec::TransferRecord& r) {
  return r.setup.requestType == kTypeClassOut && r.setup.request == kSetCur && r.setup.value == 0x0A00;
}

bool IsData(const vcodec::TransferRecord& r) {
  return (r.setup.requestType & 0x7F) == kTypeClassOut && r.setup.value == 0x0B00 &&
         (r.setup.request == kSetCur || r.setup.request == kGetCur);
}

bool IsVendor(const vcodec::TransferRecord& r) { return (r.setup.requestType & 0x60) == 0x40; }

std::vector<CommandBlock> Commands(const std::vector<vcodec::TransferRecord>& log) {
  std::vector<CommandBlock> out;
  for (const auto& r : log) {
    if (IsCommand(r) && r.data.size() == 8) {
      CommandBlock b;
      std::copy(r.data.begin(), r.data.end(), b.begin());
      out.push_back(b);
    }
  }
  return out;
}

std::vector<vcodec::TransferRecord> Only(const std::vector<vcodec::TransferRecord>& log,
                                         bool (*keep)(const vcodec::TransferRecord&)) {
  std::vector<vcodec::TransferRecord> out;
  for (const auto& r : log) {
    if (keep(r)) out.push_back(r);
  }
  return out;
}

std::string Hex(const CommandBlock& b) {
  std::string out;
  char t[4];
  for (std::size_t i = 0; i < b.size(); ++i) {
    std::snprintf(t, sizeof t, i == 0 ? "%02X" : " %02X", b[i]);
    out += t;
  }
  return out;
}
