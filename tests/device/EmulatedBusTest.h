#pragma once
// Fixture: an in-memory emulated bus behind the device layer's channel, a simulated clock,
// and a command lock of the test's own (tests run in parallel).

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/ExtUnitProtocol.h"
#include "device/usb/EmulatorBackend.h"
#include "emulator/Bus.h"
#include "platform/Clock.h"
#include "tests/device/InterposedBackend.h"
#include "tests/support/TraceCapture.h"

class EmulatedBusTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Plugs a device; fails the test when the emulator refuses.
  std::uint32_t Plug(vcodec::DeviceConfig config = {});
  // KoCam_SelectDevice(index), expecting success; the log is cleared afterwards.
  std::uint32_t Select(std::uint32_t index = 0);

  [[nodiscard]] std::vector<vcodec::TransferRecord> Log() const { return bus_->Log(); }
  void ClearLog() {
    bus_->ClearLog();
    backend_->timeouts.clear();
  }

  SimulatedClock clock_;
  std::unique_ptr<vcodec::Bus> bus_;
  std::unique_ptr<EmulatorBackend> emulator_;
  std::unique_ptr<InterposedBackend> backend_;
  std::string lockName_;
};

// CaptureTrace and TraceHas come from tests/support/TraceCapture.h.

// Log filters.
[[nodiscard]] bool IsCommand(const vcodec::TransferRecord& r);  // SET_CUR on control 10
[[nodiscard]] bool IsData(const vcodec::TransferRecord& r);     // GET_CUR / SET_CUR on control 11
[[nodiscard]] bool IsVendor(const vcodec::TransferRecord& r);
[[nodiscard]] std::vector<CommandBlock> Commands(const std::vector<vcodec::TransferRecord>& log);
[[nodiscard]] std::vector<vcodec::TransferRecord> Only(const std::vector<vcodec::TransferRecord>& log,
                                                       bool (*keep)(const vcodec::TransferRecord&));
[[nodiscard]] std::string Hex(const CommandBlock& b);
