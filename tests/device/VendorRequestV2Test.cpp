#include "device/VendorRequestV2.h"

#include "device/KoCamApi.h"
#include "tests/device/EmulatedBusTest.h"

namespace {

class VendorRequestV2Test : public EmulatedBusTest {
 protected:
  void SetUp() override {
    EmulatedBusTest::SetUp();
    Plug();
    Select();
    vendor_ = dynamic_cast<CVendorRequestV2*>(KoCam_GetCommandSet());
    ASSERT_NE(vendor_, nullptr) << "the vendor set is preferred";
  }
  CVendorRequestV2* vendor_ = nullptr;
};

struct Request {
  std::uint8_t request;
  std::uint16_t value;
  std::uint16_t index;
  std::uint16_t length;
};

std::vector<Request> Requests(const std::vector<vcodec::TransferRecord>& log) {
  std::vector<Request> out;
  for (const auto& r : Only(log, IsVendor)) out.push_back({r.setup.request, r.setup.value, r.setup.index, r.setup.length});
  return out;
}

TEST_F(VendorRequestV2Test, BulkReadsGoInFourKiBPiecesWithTheAddressInWIndex) {
  std::vector<std::uint8_t> buffer(10000);
  ASSERT_EQ(vendor_->ReadMem(0x1234, 10000, buffer.data(), nullptr, 0), 0u);
  const auto rq = Requests(Log());
  ASSERT_EQ(rq.size(), 3u);
  const Request expected[] = {{0x25, 0, 0x1234, 4096}, {0x25, 0, 0x2234, 4096}, {0x25, 0, 0x3234, 1808}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(rq[i].request, expected[i].request);
    EXPECT_EQ(rq[i].value, expected[i].value);
    EXPECT_EQ(rq[i].index, expected[i].index);
    EXPECT_EQ(rq[i].length, expected[i].length);
  }
  for (const auto& r : Only(Log(), IsVendor)) EXPECT_EQ(r.setup.requestType, 0xC0);
}

TEST_F(VendorRequestV2Test, PackingForms) {
  std::uint8_t buffer[64] = {};
  struct Case {
    const char* what;
    std::function<std::uint32_t()> run;
    Request first;
  };
  const Case cases[] = {
      {"form 4: address bits 16..19 and the option byte",
       [&] { return vendor_->SPI_SF_Read(0x23456, 16, buffer, 0, nullptr, 0); }, {0x2E, 0x0200, 0x3456, 16}},
      {"form 4 with an option", [&] { return vendor_->SPI_SF_Read(0x23456, 16, buffer, 0x07, nullptr, 0); },
       {0x2E, 0x0207, 0x3456, 16}},
      {"form 4: address width of the generic EEPROM write",
       [&] { return vendor_->I2C_EEP_Write(0x10, 4, buffer, 3, nullptr, 0); }, {0x3A, 0x0003, 0x0010, 4}},
      {"form 2: count only", [&] { return vendor_->SPI_SF_ReadID(buffer); }, {0x2D, 0, 0, 8}},
      {"form 5: the byte in wValue", [&] { return vendor_->ResetToNewCode(0x0134); }, {0x21, 0x34, 0, 0}},
      {"form 1: nothing", [&] { return vendor_->SPI_SF_WriteTag(); }, {0x34, 0, 0, 0}},
      {"form 3 with count 0", [&] { return vendor_->SPI_SF_EraseSector(0x21000, 0x1000); }, {0x33, 0x0200, 0x1000, 0}},
      {"slave address as the address", [&] { return vendor_->I2CGenRead(0x50, 4, buffer); }, {0x3D, 0, 0x50, 4}},
  };
  for (const Case& c : cases) {
    ClearLog();
    (void)c.run();
    const auto rq = Requests(Log());
    ASSERT_FALSE(rq.empty()) << c.what;
    EXPECT_EQ(rq[0].request, c.first.request) << c.what;
    EXPECT_EQ(rq[0].value, c.first.value) << c.what;
    EXPECT_EQ(rq[0].index, c.first.index) << c.what;
    EXPECT_EQ(rq[0].length, c.first.length) << c.what;
  }
}

TEST_F(VendorRequestV2Test, RequestsBeyondTwentyAddressBitsAreRefusedUnsent) {
  std::vector<std::uint8_t> buffer(0x12345);
  EXPECT_EQ(vendor_->SPI_SF_Read(0x123456, 16, buffer.data(), 0, nullptr, 0), kResultInvalidArg);
  EXPECT_EQ(vendor_->ReadMem(0xFFF00, 0x200, buffer.data(), nullptr, 0), kResultInvalidArg) << "runs past bit 19";
  EXPECT_EQ(vendor_->ReadPhy(0, 0x12345, buffer.data()), kResultInvalidArg) << "one request cannot move it all";
  EXPECT_EQ(vendor_->SPI_SF_EraseSector(0x100000, 0x1000), kResultInvalidArg);
  EXPECT_EQ(vendor_->SPI_SF_EraseSector(0x1800, 0x1000), kResultInvalidArg) << "misaligned";
  EXPECT_TRUE(Log().empty());
  (void)vendor_->ReadMem(0xFFF00, 0x100, buffer.data(), nullptr, 0);
  EXPECT_EQ(Requests(Log()).size(), 1u) << "the last bytes are reachable";
}

TEST_F(VendorRequestV2Test, ChipEraseWaitsForItsOwnTimeOutOnly) {
  (void)vendor_->SPI_SF_EraseChip(30000);
  (void)vendor_->SPI_SF_WriteTag();
  ASSERT_EQ(backend_->timeouts.size(), 2u);
  EXPECT_EQ(backend_->timeouts[0], 30000u);
  EXPECT_EQ(backend_->timeouts[1], 5000u);
}

TEST_F(VendorRequestV2Test, StatusRecordIsThirteenRequestsOfEightBytes) {
  std::uint8_t status[104] = {};
  ASSERT_EQ(vendor_->GetDevStatus(0, status, 104), 0u);
  const auto rq = Requests(Log());
  ASSERT_EQ(rq.size(), 13u);
  for (std::size_t i = 0; i < rq.size(); ++i) {
    EXPECT_EQ(rq[i].request, 0x07);
    EXPECT_EQ(rq[i].value, i);
    EXPECT_EQ(rq[i].length, 8u);
  }
  EXPECT_EQ(std::string(reinterpret_cast<char*>(status + 24), 7), "NOVIKEN");
}

TEST_F(VendorRequestV2Test, FailedRequestIsReportedAndEndsThePieces) {
  vcodec::Faults f;
  f.stallTransfer = 2;
  bus_->ArmFaults(1, f);
  std::vector<std::uint8_t> buffer(10000);
  static std::uint32_t calls;
  calls = 0;
  std::uint32_t r = 0;
  const auto lines = CaptureTrace([&] {
    r = vendor_->ReadMem(0, 10000, buffer.data(), [](std::uint32_t, std::uint32_t) { ++calls; }, 0);
  });
  EXPECT_EQ(r, 0x8007001Fu);
  EXPECT_EQ(calls, 1u) << "progress for the piece done";
  EXPECT_EQ(Requests(Log()).size(), 2u);
  EXPECT_TRUE(TraceHas(lines, "CVendorRequestV2 SendRequest failed: 8007001f"));
}

}  // namespace
