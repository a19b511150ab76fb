// The serial flash behind the chip: protection, program-only-clears, erase, busy bit.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "emulator/VcmdStatus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

class FlashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_ = Bus::CreateInMemory(time_);
    DeviceConfig config;
    config.port = 1;
    config.memorySize = 64 * 1024;
    ASSERT_TRUE(bus_->Plug(config, {}, nullptr));
    client_ = std::make_unique<ChipClient>(*bus_, 1);
  }

  // What a host does to lift protection on this family: WP# high through FEC0/FEC6, then
  // clear the status register.
  void Unprotect() {
    ASSERT_EQ(client_->Write(Block(0x00, 0x82, 0xFEC0, 1), {0x01}), 0u);
    ASSERT_EQ(client_->Write(Block(0x00, 0x82, 0xFEC6, 1), {0x01}), 0u);
    ASSERT_EQ(client_->Write(Block(0x02, 0x83, 0, 1), {0x00}), 0u);
  }

  std::uint8_t ReadSr() { return client_->Read(Block(0x02, 0xC3, 0, 1), 1).data.at(0); }

  ManualTime time_;
  std::unique_ptr<Bus> bus_;
  std::unique_ptr<ChipClient> client_;
};

TEST_F(FlashTest, ProtectedFlashRefusesErasesAndWrites) {
  EXPECT_EQ(ReadSr() & 0x9C, 0x8C);
  EXPECT_EQ(client_->Command(Block(0x02, 0x04)), kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsHwErr);
  client_->ClearStatus();
  EXPECT_EQ(client_->Write(Block(0x02, 0x82, 0, 8), std::vector<std::uint8_t>(8, 0)), kUsbErrorGenFailure);
  client_->ClearStatus();
  // Clearing the status register while WP# is held low does nothing (SRWD).
  ASSERT_EQ(client_->Write(Block(0x02, 0x83, 0, 1), {0x00}), 0u);
  EXPECT_EQ(ReadSr() & 0x9C, 0x8C);
  EXPECT_EQ(bus_->Memory(1)->at(0), 0xFF);
}

TEST_F(FlashTest, ProgrammingOnlyClearsBitsAndEraseSetsThemAgain) {
  Unprotect();
  time_.Advance(100);
  ASSERT_EQ(client_->Write(Block(0x02, 0x82, 0x0100, 2), {0xF0, 0x3C}), 0u);
  ASSERT_EQ(client_->Write(Block(0x02, 0x82, 0x0100, 2), {0x0F, 0xFF}), 0u);
  const std::vector<std::uint8_t> mem = *bus_->Memory(1);
  EXPECT_EQ(mem[0x100], 0x00);
  EXPECT_EQ(mem[0x101], 0x3C);  // writing 0xFF over 0x3C sets nothing
  ASSERT_EQ(client_->Command(Block(0x02, 0x05, 0x0000, 0, 0)), 0u);
  EXPECT_EQ(bus_->Memory(1)->at(0x100), 0xFF);
  // An address past the part is refused.
  EXPECT_EQ(client_->Command(Block(0x02, 0x05, 0x0000, 0, 0x0001)), kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsErrOutRange);
}

TEST_F(FlashTest, AnEraseLongerThanTheHostWaitsTimesOutButCompletes) {
  Unprotect();
  ASSERT_EQ(client_->Write(Block(0x02, 0x82, 0, 1), {0x00}), 0u);
  ControlSetup erase{0x40, 0x32, 0, 0, 0};
  EXPECT_EQ(bus_->Submit(client_->id(), erase, nullptr, 1000).error, kUsbErrorTimeout);  // erase takes 1500 ms
  EXPECT_EQ(bus_->Memory(1)->at(0), 0xFF);
  ASSERT_EQ(client_->Write(Block(0x02, 0x82, 0, 1), {0x00}), 0u);
  EXPECT_EQ(bus_->Submit(client_->id(), erase, nullptr, 30000).error, kUsbErrorSuccess);
}

TEST_F(FlashTest, StatusRegisterWriteIsBusyForAWhile) {
  Unprotect();
  EXPECT_EQ(ReadSr() & 0x01, 0x01);
  time_.Advance(50);
  EXPECT_EQ(ReadSr() & 0x01, 0x00);
  Faults faults;
  faults.busyForever = true;
  ASSERT_TRUE(bus_->ArmFaults(1, faults));
  time_.Advance(10000);
  EXPECT_EQ(ReadSr() & 0x01, 0x01);
}

TEST_F(FlashTest, StuckBitsAndFailingErasesAreNotHidden) {
  Unprotect();
  Faults faults;
  faults.stuckBits = {{0x20, 0x81}};
  ASSERT_TRUE(bus_->ArmFaults(1, faults));
  ASSERT_EQ(client_->Write(Block(0x02, 0x82, 0x20, 1), {0x00}), 0u);
  EXPECT_EQ(bus_->Memory(1)->at(0x20), 0x81);
  faults = {};
  faults.eraseFails = true;
  ASSERT_TRUE(bus_->ArmFaults(1, faults));
  EXPECT_EQ(client_->Command(Block(0x02, 0x04)), kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsHwErr);
  EXPECT_EQ(bus_->Memory(1)->at(0x20), 0x81);
}

}  // namespace
