// The extension unit as the chip implements it: command blocks, status codes, data phases.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "emulator/VcmdStatus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

class ExtUnitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_ = Bus::CreateInMemory(time_);
    ASSERT_TRUE(bus_);
    DeviceConfig config;
    config.port = 3;
    ASSERT_EQ(bus_->Plug(config, {}, nullptr), 3u);
    client_ = std::make_unique<ChipClient>(*bus_, 3);
  }

  ManualTime time_;
  std::unique_ptr<Bus> bus_;
  std::unique_ptr<ChipClient> client_;
};

struct BadCommand {
  const char* what;
  std::vector<std::uint8_t> block;
  std::uint8_t status;
};

TEST_F(ExtUnitTest, BadCommandsFailAndLeaveTheirStatusUntilCleared) {
  const BadCommand cases[] = {
      {"unknown group", Block(0x05, 0xC2, 0, 8), kStsUnknownCmd},
      {"unknown opcode", Block(0x00, 0xFE, 0, 8), kStsUnknownScmd},
      {"read opcode asked to receive data", Block(0x00, 0x81, 0, 8), kStsErrDir},
      {"memory read without a data phase", Block(0x00, 0x02, 0, 8), kStsErrDir},
      {"status block of 4 bytes", Block(0x00, 0xCD, 0, 4), kStsErrLen},
      {"status register read of 2 bytes", Block(0x02, 0xC3, 0, 2), kStsErrLen},
      {"internal memory past 64 KiB", Block(0x00, 0xC2, 0xFFF8, 0x10), kStsErrOutRange},
      {"flash read past the part", Block(0x02, 0xC2, 0, 0x10, 0x0004), kStsErrOutRange},
      {"EEPROM command on a flash chip", Block(0x02, 0xCB, 0, 8), kStsHwErr},
      {"OTP read on a flash chip", Block(0x02, 0xD7, 0, 8), kStsHwErr},
  };
  for (const BadCommand& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(client_->Command(c.block), kUsbErrorGenFailure);
    EXPECT_EQ(client_->Status(), c.status);
    // The chip refuses further commands until the host clears the status.
    EXPECT_EQ(client_->Command(Block(0x00, 0xC2, 0xFE21, 2)), kUsbErrorGenFailure);
    EXPECT_EQ(client_->Status(), c.status);
    client_->ClearStatus();
    EXPECT_EQ(client_->Status(), kStsCmd);
    const Reply id = client_->Read(Block(0x00, 0xC2, 0xFE21, 2), 2);
    ASSERT_EQ(id.error, 0u);
    EXPECT_EQ(id.data, (std::vector<std::uint8_t>{0x10, 0xB0}));
  }
}

TEST_F(ExtUnitTest, DataPhaseTakesWholeUnitsAndAnExactRemainder) {
  // 10 bytes with 8-byte units: one unit, then either a full padded unit or exactly 2 bytes.
  ASSERT_EQ(client_->Command(Block(0x00, 0xC2, 0xFE1F, 10)), 0u);
  EXPECT_EQ(client_->Status(), kStsDataIn);
  EXPECT_EQ(client_->GetData(8).error, 0u);
  const Reply last = client_->GetData(2);
  ASSERT_EQ(last.error, 0u);
  EXPECT_EQ(last.data, (std::vector<std::uint8_t>{0x00, 0x00}));
  EXPECT_EQ(client_->Status(), kStsNoErr);

  ASSERT_EQ(client_->Command(Block(0x00, 0xC2, 0xFE21, 10)), 0u);
  EXPECT_EQ(client_->GetData(4).error, kUsbErrorGenFailure);  // neither a unit nor the rest
  EXPECT_EQ(client_->Status(), kStsErrLen);
  client_->ClearStatus();

  // Data in the wrong direction, and data with no command open.
  ASSERT_EQ(client_->Command(Block(0x00, 0xC2, 0xFE21, 8)), 0u);
  EXPECT_EQ(client_->SetData(std::vector<std::uint8_t>(8, 0)), kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsErrDir);
  client_->ClearStatus();
  EXPECT_EQ(client_->GetData(8).error, kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsErrDir);
  client_->ClearStatus();

  // A new command while a data phase is open.
  ASSERT_EQ(client_->Command(Block(0x00, 0xC2, 0xFE21, 16)), 0u);
  EXPECT_EQ(client_->Command(Block(0x00, 0xC2, 0xFE21, 2)), kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsNotFinish);
}

TEST_F(ExtUnitTest, DataControlSizeFollowsTheChipsLimit) {
  const std::uint16_t index = (6 << 8) | 0;
  auto len = [&] {
    const Reply r = client_->Control(0xA1, 0x85, 0x0B00, index, {}, 2);
    return r.data.size() == 2 ? r.data[0] | (r.data[1] << 8) : -1;
  };
  EXPECT_EQ(len(), 8);
  ASSERT_EQ(client_->Command(Block(0x00, 0x16, 0, 64)), 0u);
  EXPECT_EQ(len(), 64);
  // A whole status block with 64-byte units: 8 bytes of data, zero padding.
  const Reply status = client_->Read(Block(0x00, 0xCD, 3, 8), 8, 64);
  ASSERT_EQ(status.error, 0u);
  EXPECT_EQ(std::string(status.data.begin(), status.data.end() - 1), "NOVIKEN");
  // 8-byte transfers no longer fit.
  ASSERT_EQ(client_->Command(Block(0x00, 0xC2, 0xFE21, 16)), 0u);
  EXPECT_EQ(client_->GetData(8).error, kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsErrLen);
  client_->ClearStatus();

  DeviceConfig small;
  small.port = 5;
  small.maxUnit = 32;
  ASSERT_TRUE(bus_->Plug(small, {}, nullptr));
  ChipClient other(*bus_, 5);
  ASSERT_EQ(other.Command(Block(0x00, 0x16, 0, 64)), 0u);
  const Reply r = other.Control(0xA1, 0x85, 0x0B00, index, {}, 2);
  EXPECT_EQ(r.data, (std::vector<std::uint8_t>{32, 0}));
}

TEST_F(ExtUnitTest, RequestsOffTheUnitStall) {
  EXPECT_EQ(client_->Control(0x21, 0x01, 0x0A00, (5 << 8), Block(0, 0xC2, 0, 2), 8).error, kUsbErrorGenFailure);
  EXPECT_EQ(client_->Control(0x21, 0x01, 0x0C00, (6 << 8), Block(0, 0xC2, 0, 2), 8).error, kUsbErrorGenFailure);
  EXPECT_EQ(client_->Control(0x22, 0x01, 0x0A00, (6 << 8), Block(0, 0xC2, 0, 2), 8).error, kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsCmd);
}

}  // namespace
