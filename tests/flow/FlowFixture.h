#pragma once
// Fixture: a serial-flash memory object driving emulated codecs on an in-memory bus, on
// simulated time, with the built-in IC definitions and the embedded configuration.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "device/usb/EmulatorBackend.h"
#include "emulator/Bus.h"
#include "flow/DevFlow.h"
#include "platform/Clock.h"
#include "tests/support/EmulatedStation.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

class FlowFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Plugs a codec; firmware (when given) is already in its memory.
  std::uint32_t Plug(vcodec::DeviceConfig config = {}, const std::vector<std::uint8_t>& firmware = {});
  // The command line's open: device, IC type settings, device information, reset options.
  void Open();
  // The command line's open for a write of image: device, IC type settled on the image (which
  // also makes the memory object the image names), reset options.
  void OpenFor(const std::string& image);
  // A write of image on a twin device that is removed afterwards: its transfer log (the
  // numbers of the steps' transfers for a fault plan) and, in *port, the port it used.
  std::vector<vcodec::TransferRecord> DryRun(const vcodec::DeviceConfig& config, const std::string& image,
                                             std::uint32_t* port);
  // An image written by the real image generator, with extra "--key value" arguments.
  std::string MakeImage(const std::string& name, const std::vector<std::string>& arguments);
  [[nodiscard]] CDevFlow& Flow() const { return *App().flow; }
  [[nodiscard]] std::vector<std::uint8_t> Memory(std::uint32_t port, std::size_t bytes) const;

  TempDir dir_;
  std::unique_ptr<EmulatedStation> station_;
  vcodec::Bus* bus_ = nullptr;
};

[[nodiscard]] std::vector<std::uint8_t> ReadBytes(const std::string& path);
