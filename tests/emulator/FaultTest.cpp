// Fault plans fire at the transfer they name, counted from when they were armed.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

TEST(FaultTest, PlansFireAtTheNamedTransfer) {
  struct Case {
    const char* what;
    Faults faults;
    std::uint32_t error;
  };
  Faults fail, stall, remove;
  fail.failTransfer = 3;
  stall.stallTransfer = 3;
  remove.removeAtTransfer = 3;
  const Case cases[] = {{"lost", fail, kUsbErrorTimeout},
                        {"stalled", stall, kUsbErrorGenFailure},
                        {"removed", remove, kUsbErrorDeviceNotConnected}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ManualTime time;
    auto bus = Bus::CreateInMemory(time);
    ASSERT_TRUE(bus->Plug(DeviceConfig{}, {}, nullptr));
    ChipClient client(*bus, 1);
    EXPECT_EQ(client.VendorIn(0x25, 0, 0xFE21, 2).error, 0u);
    ASSERT_TRUE(bus->ArmFaults(1, c.faults));
    EXPECT_EQ(client.VendorIn(0x25, 0, 0xFE21, 2).error, 0u);
    EXPECT_EQ(client.VendorIn(0x25, 0, 0xFE21, 2).error, 0u);
    EXPECT_EQ(client.VendorIn(0x25, 0, 0xFE21, 2).error, c.error);
    const std::uint32_t next = client.VendorIn(0x25, 0, 0xFE21, 2).error;
    EXPECT_EQ(next, c.error == kUsbErrorDeviceNotConnected ? kUsbErrorDeviceNotConnected : 0u);
    const auto log = bus->Log();
    ASSERT_GE(log.size(), 4u);
    EXPECT_EQ(log[3].error, c.error);
    EXPECT_EQ(log[3].setup.request, 0x25);
    EXPECT_EQ(log[3].setup.index, 0xFE21);
  }
}

TEST(FaultTest, DeviceThatIsStillStartingAnswersNotReady) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  ASSERT_TRUE(bus->Plug(DeviceConfig{}, {}, nullptr));
  Faults faults;
  faults.notReadyMs = 400;
  ASSERT_TRUE(bus->ArmFaults(1, faults));
  {
    ChipClient client(*bus, 1);
    ASSERT_EQ(client.VendorOut(0x22, 0, 0, {}), 0u);
  }
  time.Advance(500);
  ChipClient client(*bus, 1);
  EXPECT_EQ(client.Control(0x80, 0x06, 0x0100, 0, {}, 18).error, kUsbErrorNotReady);
  time.Advance(400);
  EXPECT_EQ(client.Control(0x80, 0x06, 0x0100, 0, {}, 18).error, 0u);
}

TEST(FaultTest, EveryTransferOfAKindStallsAndCountersSumBusTime) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  DeviceConfig config;
  config.latency.perTransferUs = 250;
  ASSERT_TRUE(bus->Plug(config, {}, nullptr));
  ChipClient client(*bus, 1);
  Faults faults;
  faults.stallRequest = 0x81;
  faults.stallValue = 0x0B00;
  ASSERT_TRUE(bus->ArmFaults(1, faults));
  EXPECT_EQ(client.Command(Block(0x00, 0xC2, 0xFE21, 2)), 0u);
  EXPECT_EQ(client.GetData(2).error, kUsbErrorGenFailure);
  EXPECT_EQ(client.Status(), 0x01);  // GET_CUR on control 10 is not of that kind
  const auto counters = bus->Counters(1);
  EXPECT_EQ(counters->transfers, 3u);
  EXPECT_EQ(counters->failedTransfers, 1u);
  EXPECT_EQ(counters->busUs, 750u);
  ASSERT_TRUE(bus->ResetCounters(1));
  EXPECT_EQ(bus->Counters(1)->transfers, 0u);
}

}  // namespace
