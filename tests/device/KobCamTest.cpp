#include "device/KobCam.h"

#include "device/DeviceDiscovery.h"
#include "tests/device/EmulatedBusTest.h"

namespace {

class KobCamTest : public EmulatedBusTest {
 protected:
  void SetUp() override {
    EmulatedBusTest::SetUp();
    vcodec::DeviceConfig config;
    config.chipId = 0x0021;  // a family whose flash write-protect line sits at 0xFEA0/0xFEA6
    port_ = Plug(config);
  }
  std::uint32_t port_ = 0;
};

TEST_F(KobCamTest, WriteProtectSetsTheRegisterPairAndTheStatusRegister) {
  DeviceRecord record;
  std::vector<DeviceListEntry> list;
  ASSERT_EQ(EnumDevices(&list), 0u);
  ASSERT_EQ(OpenDeviceRecord(list[0].devnode, &record), 0u);
  ASSERT_TRUE(ProbeDevice(&record, false));
  DeviceCaps caps = *record.caps;
  CKobCam kob(std::move(record), &caps);
  ASSERT_NE(kob.PreferredSet(), nullptr);

  EXPECT_EQ(kob.SF_WriteUnprotect(), 0u);
  EXPECT_EQ(bus_->Register(port_, 0xFEA0).value_or(0) & 1, 1);
  EXPECT_EQ(bus_->Register(port_, 0xFEA6).value_or(0) & 1, 1);
  EXPECT_EQ(bus_->FlashStatus(port_).value_or(0xFF) & 0x8C, 0x00);

  EXPECT_EQ(kob.SF_WriteProtect(), 0u);
  EXPECT_EQ(bus_->Register(port_, 0xFEA0).value_or(0) & 1, 1);
  EXPECT_EQ(bus_->Register(port_, 0xFEA6).value_or(1) & 1, 0);
  EXPECT_EQ(bus_->FlashStatus(port_).value_or(0) & 0x8C, 0x8C);
  EXPECT_EQ(bus_->FlashStatus(port_).value_or(1) & 0x01, 0) << "waited until the write finished";

}

}  // namespace
