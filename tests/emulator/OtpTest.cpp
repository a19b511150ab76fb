// The 16 KiB OTP: programming only sets bits, failing cells are reported, the lock holds, and
// the boot code reads blocks through the VD table with ECC records applied.

#include <gtest/gtest.h>

#include "emulator/Bus.h"
#include "emulator/VcmdStatus.h"
#include "tests/emulator/ChipClient.h"
#include "tests/emulator/ManualTime.h"
#include "tests/emulator/TestImage.h"

using namespace vcodec;
using namespace vcodec_test;

namespace {

class OtpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bus_ = Bus::CreateInMemory(time_);
    DeviceConfig config;
    config.memory = MemoryKind::kOtp;
    ASSERT_TRUE(bus_->Plug(config, {}, nullptr));
    client_ = std::make_unique<ChipClient>(*bus_, 1);
  }

  std::uint32_t OtpWrite(std::uint16_t address, const std::vector<std::uint8_t>& data) {
    return client_->Write(Block(0x02, 0x97, address, static_cast<std::uint16_t>(data.size()), 8), data);
  }
  std::vector<std::uint8_t> FailReport() { return client_->Read(Block(0x02, 0xDC, 0, 0x13), 19).data; }

  ManualTime time_;
  std::unique_ptr<Bus> bus_;
  std::unique_ptr<ChipClient> client_;
};

TEST_F(OtpTest, ProgrammingOnlySetsBits) {
  EXPECT_EQ(bus_->Memory(1)->at(0), 0x00);
  ASSERT_EQ(OtpWrite(0, {0x0F, 0xA5}), 0u);
  ASSERT_EQ(OtpWrite(0, {0xF0, 0x00}), 0u);
  const Reply r = client_->Read(Block(0x02, 0xD7, 0, 2), 2);
  ASSERT_EQ(r.error, 0u);
  EXPECT_EQ(r.data, (std::vector<std::uint8_t>{0xFF, 0xA5}));
  EXPECT_EQ(FailReport().at(0), 0);
  // Blank check: one result per cell.
  EXPECT_EQ(client_->Read(Block(0x02, 0xD8, 1, 3), 3).data, (std::vector<std::uint8_t>{1, 0, 0}));
  EXPECT_EQ(client_->Read(Block(0x02, 0xD7, 0x3FF8, 16), 16).error, kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsErrOutRange);
}

TEST_F(OtpTest, CellsThatFailAreReportedAndKeepTheirValue) {
  Faults faults;
  faults.otpFailAddresses = {0x12, 0x14};
  ASSERT_TRUE(bus_->ArmFaults(1, faults));
  ASSERT_EQ(OtpWrite(0x10, std::vector<std::uint8_t>(8, 0x5A)), 0u);
  const std::vector<std::uint8_t> report = FailReport();
  ASSERT_EQ(report.size(), 19u);
  EXPECT_EQ(report[0], 2);
  EXPECT_EQ(report[1], 0x00);
  EXPECT_EQ(report[2], 0x12);
  EXPECT_EQ(report[4], 0x14);
  const std::vector<std::uint8_t> mem = *bus_->Memory(1);
  EXPECT_EQ(mem[0x11], 0x5A);
  EXPECT_EQ(mem[0x12], 0x00);
  // The next write starts a new report.
  ASSERT_EQ(OtpWrite(0x20, {0x01}), 0u);
  EXPECT_EQ(FailReport().at(0), 0);
}

TEST_F(OtpTest, LockedOtpRefusesWritesAndTheLockCannotBeUndone) {
  ASSERT_EQ(client_->Write(Block(0x00, 0x82, 0xFD0C, 1), {0x08}), 0u);
  ASSERT_EQ(client_->Write(Block(0x00, 0x82, 0xFD0C, 1), {0x00}), 0u);
  EXPECT_EQ(bus_->Register(1, 0xFD0C), 0x08);
  EXPECT_EQ(OtpWrite(0, {0x01}), kUsbErrorGenFailure);
  EXPECT_EQ(client_->Status(), kStsHwErr);
  EXPECT_EQ(bus_->Memory(1)->at(0), 0x00);
}

TEST(OtpBoot, BootsTheCurrentBlockWithEccRecordsApplied) {
  ManualTime time;
  auto bus = Bus::CreateInMemory(time);
  DeviceConfig config;
  config.memory = MemoryKind::kOtp;
  ImageRecipe recipe = SmallImageRecipe(0x60);
  recipe.serial = "OTP-001";
  recipe.codeLength = 0x200;
  std::vector<std::uint8_t> image = BuildImage(recipe);
  ASSERT_TRUE(bus->Plug(config, image, nullptr));
  // Laid out as a download leaves it: code block in VD entry 0, configuration block in entry 1.
  const std::vector<std::uint8_t> otp = *bus->Memory(1);
  const unsigned total = image[3] | (image[4] << 8), codeBlock = 15 + 0x200, configBlock = total - 0x200;
  auto hi = [](unsigned v) { return static_cast<std::uint8_t>(v >> 8); };
  auto lo = [](unsigned v) { return static_cast<std::uint8_t>(v & 0xFF); };
  EXPECT_EQ(std::vector<std::uint8_t>(otp.begin() + 0x3F70, otp.begin() + 0x3F7A),
            (std::vector<std::uint8_t>{0, 0, hi(codeBlock), lo(codeBlock), 0x55, hi(codeBlock), lo(codeBlock),
                                       hi(configBlock), lo(configBlock), 0xAA}));
  auto info = bus->Info(1);
  ASSERT_TRUE(info->firmware);
  EXPECT_EQ(info->serial, "OTP-001");
  EXPECT_EQ(info->version, "1.234.0102-0304.0506");  // the OTP form: the version area at block 128
  // A cell of the serial string that failed to program, repaired by ECC record 1.
  std::vector<std::uint8_t> mem = *bus->Memory(1);
  const auto serialAt = static_cast<std::uint32_t>(std::search(mem.begin(), mem.end(), recipe.serial.begin(), recipe.serial.end()) - mem.begin());
  ASSERT_TRUE(bus->WriteMemory(1, serialAt + 6, {0x00}));
  ASSERT_TRUE(bus->Replug(1));
  EXPECT_EQ(bus->Info(1)->serial, "OTP-00");
  ASSERT_TRUE(bus->WriteMemory(1, 0x3FC0, {static_cast<std::uint8_t>((serialAt + 6) >> 8),
                                           static_cast<std::uint8_t>((serialAt + 6) & 0xFF), '1', 0x5A}));
  ASSERT_TRUE(bus->Replug(1));
  EXPECT_EQ(bus->Info(1)->serial, "OTP-001");
  // Without a current configuration block (its entry superseded: flag 0xFF) nothing boots.
  ASSERT_TRUE(bus->WriteMemory(1, 0x3F79, {0xFF}));
  ASSERT_TRUE(bus->Replug(1));
  EXPECT_FALSE(bus->Info(1)->firmware);
}

}  // namespace
