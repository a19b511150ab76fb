#include "device/ExtUnit.h"

#include <numeric>

#include "device/KoCamApi.h"
#include "tests/device/EmulatedBusTest.h"

namespace {

class ExtUnitTest : public EmulatedBusTest {
 protected:
  void SetUp() override {
    EmulatedBusTest::SetUp();
    Plug(config_);
    Select();
    ext_ = KoCam_GetExtUnitSet();
    ASSERT_NE(ext_, nullptr);
  }
  void UseUnit(std::uint16_t size) {
    ASSERT_TRUE(ext_->ChangeDataControlSize(&size));
    ClearLog();
  }

  vcodec::DeviceConfig config_;
  CExtUnit* ext_ = nullptr;
};

TEST_F(ExtUnitTest, PartialLastUnitIsReadWholeAndCutAndWrittenWithZeroPadding) {
  std::uint8_t out[10];
  std::iota(out, out + 10, 0x40);
  ASSERT_EQ(ext_->WriteMem(0x1000, 10, out, nullptr, 0), 0u);
  auto data = Only(Log(), IsData);
  ASSERT_EQ(data.size(), 2u);
  EXPECT_EQ(data[0].data, std::vector<std::uint8_t>(out, out + 8));
  EXPECT_EQ(data[1].data, (std::vector<std::uint8_t>{0x48, 0x49, 0, 0, 0, 0, 0, 0})) << "zero padding";
  EXPECT_EQ(Hex(Commands(Log())[0]), "00 82 00 10 0A 00 00 00");

  ClearLog();
  std::uint8_t in[10] = {};
  ASSERT_EQ(ext_->ReadMem(0x1000, 10, in, nullptr, 0), 0u);
  data = Only(Log(), IsData);
  ASSERT_EQ(data.size(), 2u);
  for (const auto& r : data) EXPECT_EQ(r.setup.length, 8u) << "every unit is a full one";
  EXPECT_EQ(in[8], data[1].data[0]);
  EXPECT_EQ(in[9], data[1].data[1]);
  EXPECT_EQ(Hex(Commands(Log())[0]), "00 C2 00 10 0A 00 00 00");
}

TEST_F(ExtUnitTest, LongRequestsGoOutAs0x8000ByteCommandsWithTheLow16AddressBits) {
  UseUnit(64);
  std::vector<std::uint8_t> buffer(0x18000);
  static std::uint32_t progress;
  progress = 0;
  const ProgressCallback cb = [](std::uint32_t, std::uint32_t bytes) { progress += bytes; };
  ASSERT_EQ(ext_->ReadMem(0, 0x18000, buffer.data(), cb, 0), 0u);
  EXPECT_EQ(progress, 0x18000u) << "progress after every unit";
  auto cmds = Commands(Log());
  ASSERT_EQ(cmds.size(), 3u);
  EXPECT_EQ(Hex(cmds[0]), "00 C2 00 00 00 80 00 00");
  EXPECT_EQ(Hex(cmds[1]), "00 C2 00 80 00 80 00 00");
  EXPECT_EQ(Hex(cmds[2]), "00 C2 00 00 00 80 00 00") << "address 0x10000 carries P1 0";
  EXPECT_EQ(Only(Log(), IsData).size(), 0x18000u / 64);

  ClearLog();
  ASSERT_EQ(ext_->NorFlash_Read(0x100, 0x17FFF, buffer.data(), nullptr, 0), 0u);
  cmds = Commands(Log());
  ASSERT_EQ(cmds.size(), 2u);
  EXPECT_EQ(Hex(cmds[0]), "00 C5 00 01 00 80 00 00");
  EXPECT_EQ(Hex(cmds[1]), "00 C5 00 81 FF FF 00 00") << "then the rest of 0xFFFF in one command";
}

TEST_F(ExtUnitTest, CommandBlocksCarryTheirFields) {
  std::uint8_t buffer[0x100] = {};
  struct Case {
    const char* what;
    std::function<std::uint32_t()> run;
    const char* block;
  };
  const Case cases[] = {
      {"SPI_SF_Read P1/P3 address halves", [&] { return ext_->SPI_SF_Read(0x123456, 0x100, buffer, 0, nullptr, 0); },
       "02 C2 56 34 00 01 12 00"},
      {"aligned sector erase", [&] { return ext_->SPI_SF_EraseSector(0x2000, 0x1000); }, "02 05 00 20 00 00 00 00"},
      {"sector erase above 64 KiB", [&] { return ext_->SPI_SF_EraseSector(0x31000, 0x1000); },
       "02 05 00 10 00 00 03 00"},
      {"I2C_EEP8_Erase of 0 bytes", [&] { return ext_->I2C_EEP8_Erase(0); }, "02 8B 00 00 00 00 00 00"},
      {"OTP_Write mode in P3", [&] { return ext_->OTP_Write(0x0123, 8, 0x0005, buffer, 0, 0); },
       "02 97 23 01 08 00 05 00"},
      {"OTP_AllBlankCheck length in P3", [&] { return ext_->OTP_AllBlankCheck(0x0010, 16, buffer, 0, 0); },
       "02 DF 10 00 08 00 10 00"},
      {"reset argument in P1", [&] { return ext_->ResetToUpdateFW(0x0102); }, "00 07 02 01 00 00 00 00"},
  };
  for (const Case& c : cases) {
    ClearLog();
    (void)c.run();
    const auto cmds = Commands(Log());
    ASSERT_FALSE(cmds.empty()) << c.what;
    EXPECT_EQ(Hex(cmds[0]), c.block) << c.what;
  }
  ClearLog();
  (void)ext_->I2C_EEP8_Erase(0);
  EXPECT_TRUE(Only(Log(), IsData).empty()) << "no data phase for an empty erase";
}

TEST_F(ExtUnitTest, MisalignedSectorEraseIsRefusedWithoutATransfer) {
  EXPECT_EQ(ext_->SPI_SF_EraseSector(0x1800, 0x1000), kResultInvalidArg);
  EXPECT_EQ(ext_->SPI_SF_EraseSector(0x1000, 0), kResultInvalidArg);
  EXPECT_TRUE(Log().empty());
}

// The virtual codec has nothing on its I2C bus and refuses every I2C command (hardware error);
// here a slave that acknowledges stands in for it, so that all pieces go out.
void AcknowledgeI2C(InterposedBackend& backend) {
  static bool i2cCommand = false;
  backend.rewrite = [](const ControlSetup& s, std::uint8_t* data, TransferResult& r) {
    if (s.value == 0x0A00 && s.request == kSetCur && data != nullptr) i2cCommand = data[1] == 0xB0 || data[1] == 0xF0;
    if (i2cCommand && r.error != kUsbErrorSuccess) r = {kUsbErrorSuccess, s.length};
  };
}

TEST_F(ExtUnitTest, I2CLongWriteMasksAllButFullPieces) {
  UseUnit(64);
  AcknowledgeI2C(*backend_);
  std::vector<std::uint8_t> data(100, 0x5A);
  (void)ext_->I2CLongWrite(0x00A0, 0x8010, 0, 100, data.data(), 0, 0);
  auto cmds = Commands(Log());
  ASSERT_GE(cmds.size(), 2u);
  EXPECT_EQ(Hex(cmds[0]), "00 B0 10 80 40 00 A0 00") << "inner piece of 64 keeps bit 15";
  EXPECT_EQ(Hex(cmds[1]), "00 B0 50 00 24 00 A0 00") << "last piece of 36 is masked";
  ClearLog();
  (void)ext_->I2CLongWrite(0x00A0, 0x8010, 0, 64, data.data(), 0, 0);
  EXPECT_EQ(Hex(Commands(Log()).at(0)), "00 B0 10 80 40 00 A0 00") << "a whole request of 64";
  ClearLog();
  std::uint8_t in[100];
  (void)ext_->I2CLongRead(0x00A0, 0x8010, 100, in, 0, 0);
  cmds = Commands(Log());
  ASSERT_GE(cmds.size(), 2u);
  EXPECT_EQ(Hex(cmds[1]), "00 F0 50 80 24 00 A0 00") << "reads never mask";
}

TEST_F(ExtUnitTest, SlaveAddressedI2CRefusesMoreThanTheStagingAreaOrTheUnit) {
  std::uint8_t buffer[80] = {};
  EXPECT_EQ(ext_->I2CRead(0x50, 9, buffer), kResultInvalidArg) << "beyond the 8-byte unit";
  EXPECT_EQ(ext_->I2CRandomWrite(0x50, 9, buffer), kResultInvalidArg);
  EXPECT_TRUE(Log().empty());
  UseUnit(64);
  EXPECT_EQ(ext_->I2CWrite(0x50, 65, buffer), kResultInvalidArg) << "beyond the 64-byte staging area";
  EXPECT_EQ(ext_->I2CRandomRead(0x50, 65, buffer), kResultInvalidArg);
  EXPECT_TRUE(Log().empty());
}

TEST_F(ExtUnitTest, StatusRecordIsThirteenBlockReads) {
  std::uint8_t status[104] = {};
  ASSERT_EQ(ext_->GetDevStatus(0, status, 104), 0u);
  const auto cmds = Commands(Log());
  ASSERT_EQ(cmds.size(), 13u);
  for (std::size_t i = 0; i < cmds.size(); ++i) {
    EXPECT_EQ(cmds[i][1], 0xCD);
    EXPECT_EQ(cmds[i][2], i) << "block index in P1";
    EXPECT_EQ(cmds[i][4], 8);
  }
  EXPECT_EQ(std::string(reinterpret_cast<char*>(status + 24), 7), "NOVIKEN");
}

class ChangeDataControlSizeTest : public ExtUnitTest {};

TEST_F(ChangeDataControlSizeTest, CurrentSizeSendsNothingAndASmallerAnswerIsAdopted) {
  std::uint16_t size = 8;
  EXPECT_TRUE(ext_->ChangeDataControlSize(&size));
  EXPECT_TRUE(Log().empty());
}

class SmallUnitDeviceTest : public ExtUnitTest {
 protected:
  void SetUp() override {
    config_.maxUnit = 32;
    ExtUnitTest::SetUp();
  }
};

TEST_F(SmallUnitDeviceTest, DeviceAnsweringThirtyTwoLeavesThirtyTwo) {
  std::uint16_t size = 64;
  EXPECT_FALSE(ext_->ChangeDataControlSize(&size));
  EXPECT_EQ(size, 32);
  EXPECT_EQ(ext_->DataControlSize(), 32u);
  ClearLog();
  std::uint8_t buffer[40];
  ASSERT_EQ(ext_->ReadMem(0x1000, 40, buffer, nullptr, 0), 0u);
  for (const auto& r : Only(Log(), IsData)) EXPECT_EQ(r.setup.length, 32u);
}

TEST_F(ChangeDataControlSizeTest, AnswersThatAreNotTwoBytesOfOneToSixtyFourAreRefused) {
  struct Case {
    const char* what;
    std::uint32_t transferred;
    std::uint16_t answer;
  };
  const Case cases[] = {{"zero", 2, 0}, {"beyond 64", 2, 128}, {"one byte", 1, 64}};
  for (const Case& c : cases) {
    backend_->rewrite = [&](const ControlSetup& s, std::uint8_t* data, TransferResult& r) {
      if (s.request == kGetLen) {
        data[0] = static_cast<std::uint8_t>(c.answer);
        data[1] = static_cast<std::uint8_t>(c.answer >> 8);
        r.transferred = c.transferred;
      }
    };
    std::uint16_t size = 64;
    EXPECT_FALSE(ext_->ChangeDataControlSize(&size)) << c.what;
    EXPECT_EQ(size, 8) << c.what;
    EXPECT_EQ(ext_->DataControlSize(), 8u) << c.what;
  }
  backend_->rewrite = nullptr;
  std::uint8_t buffer[16];
  EXPECT_EQ(ext_->ReadMem(0x1000, 16, buffer, nullptr, 0), 0u) << "still usable at 8";
}

TEST_F(ExtUnitTest, ShortDataPhaseFailsInsteadOfPassingStaleBytes) {
  backend_->rewrite = [](const ControlSetup& s, std::uint8_t*, TransferResult& r) {
    if (s.value == 0x0B00 && s.request == kGetCur) r.transferred = 3;
  };
  std::uint8_t buffer[8];
  const std::uint32_t r = ext_->ReadMem(0x1000, 8, buffer, nullptr, 0);
  EXPECT_NE(r, 0u);
  EXPECT_EQ(r, HResultFromWin32(kUsbErrorBadLength));
}

TEST_F(ExtUnitTest, ErrorReportLines) {
  std::uint8_t buffer[8];
  struct Case {
    const char* what;
    std::function<void()> arm;
    const char* line;
  };
  const Case cases[] = {
      {"undefined status code",
       [&] {
         vcodec::Faults f;
         f.stallTransfer = 1;
         bus_->ArmFaults(1, f);
         backend_->rewrite = [](const ControlSetup& s, std::uint8_t* data, TransferResult&) {
           if (s.value == 0x0A00 && s.request == kGetCur) data[0] = 0x0A;
         };
       },
       "ReadMem SetCmd error 8007001f, Undefined ExtUnit error code"},
      {"unreadable status",
       [&] {
         vcodec::Faults f;
         f.stallTransfer = 1;
         f.stallRequest = kGetCur;
         f.stallValue = 0x0A00;
         bus_->ArmFaults(1, f);
       },
       "ReadMem SetCmd error 8007001f, and fail to get err_code 8007001f"},
      {"device not connected", [&] { bus_->Unplug(1); }, "ReadMem SetCmdDevice not connected"},
  };
  for (const Case& c : cases) {
    c.arm();
    ClearLog();
    std::uint32_t r = 0;
    const auto lines = CaptureTrace([&] { r = ext_->ReadMem(0x1000, 8, buffer, nullptr, 0); });
    EXPECT_NE(r, 0u) << c.what;
    EXPECT_TRUE(TraceHas(lines, c.line)) << c.what << ": " << (lines.empty() ? "" : lines.back());
    EXPECT_TRUE(TraceHas(lines, "SetCmd failed")) << c.what;
    backend_->rewrite = nullptr;
    bus_->ClearFaults(1);
  }
  // Without a device there is no status read and no status-clear block.
  EXPECT_LE(Log().size(), 1u);
}

}  // namespace
