#include "tests/flow/OtpFlowFixture.h"

#include "app/AppContext.h"
#include "app/ParseArg.h"
#include "flow/MemoryObject.h"
#include "flow/StopFlag.h"
#include "image/IcTables.h"
#include "platform/MessageBox.h"

int UiRecorder::Count(std::uint32_t message) const {
  int n = 0;
  for (const auto& p : posts) n += p.first == message ? 1 : 0;
  return n;
}

void OtpFlowTest::SetUp() {
  FlowFixture::SetUp();
  App().notifyWnd1 = &ui_;
  AnswerQuestions(true);
}

void OtpFlowTest::AnswerQuestions(bool yes) {
  SetMessageBoxHandler([this, yes](const std::string& text, const std::string&, MessageBoxButtons buttons) {
    boxes_.push_back(text);
    if (buttons == MessageBoxButtons::kOk) return MessageBoxAnswer::kOk;
    return yes ? MessageBoxAnswer::kYes : MessageBoxAnswer::kNo;
  });
}

void OtpFlowTest::TearDown() {
  App().notifyWnd1 = nullptr;
  SetMessageBoxHandler({});
  SetStopRequested(false);
  FlowFixture::TearDown();
}

std::string OtpFlowTest::OtpImage(const std::string& name, std::size_t codeBytes, const std::string& version,
                                  const std::string& serial, const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"--chip", "VXQ62", "--memory", "otp", "--size", "16384", "--area", "0",
                                   "--capacity", "16384", "--code", "16384", "--version", version,
                                   "--name", name, "--eep", "0"};
  if (!serial.empty()) {
    for (const char* a : {"--manufacturer", "Lumatrace", "--product", "OTP Codec", "--vidpid", "3C5E,4C15,0100", "--serial"}) {
      args.push_back(a);
    }
    args.push_back(serial);
  }
  args.insert(args.end(), extra.begin(), extra.end());
  if (codeBytes != 0) {
    args.push_back("--otpcode");
    args.push_back(std::to_string(codeBytes));
  }
  return MakeImage(name, args);
}

std::uint32_t OtpFlowTest::PlugOtp(const std::vector<std::uint8_t>& memory) {
  vcodec::DeviceConfig config;
  config.memory = vcodec::MemoryKind::kOtp;
  const std::uint32_t port = Plug(config);
  if (!memory.empty()) {
    EXPECT_TRUE(bus_->WriteMemory(port, 0, memory));
  }
  return port;
}

int OtpFlowTest::Write(const std::string& image, std::vector<std::string>* trace) {
  OpenFor(image);
  ui_.posts.clear();
  boxes_.clear();
  int result = -1;
  std::vector<std::string> lines = CaptureTrace([&] { result = Flow().DEV_Command(kOpWrite, image); });
  if (trace != nullptr) *trace = std::move(lines);
  Flow().DEV_CloseDevice();
  return result;
}

std::vector<std::uint8_t> OtpFlowTest::EntryBytes(std::uint32_t port, int k) const {
  const std::vector<std::uint8_t> m = Memory(port, 0x4000);
  const auto at = m.begin() + VdEntryAddress(k);
  return {at, at + kOtpVdEntryBytes};
}

VdEntry OtpFlowTest::Entry(std::uint32_t port, int k) const { return VdEntry::From(EntryBytes(port, k)); }

EccRecord OtpFlowTest::Record(std::uint32_t port, int i) const {
  const std::vector<std::uint8_t> m = Memory(port, 0x4000);
  return EccRecord::From(std::span(m).subspan(EccRecordAddress(i), kOtpEccRecordBytes));
}

void OtpFlowTest::Put(std::uint32_t port, std::uint32_t address, const std::vector<std::uint8_t>& bytes) {
  ASSERT_TRUE(bus_->WriteMemory(port, address, bytes));
}

void OtpFlowTest::PutEntry(std::uint32_t port, int k, std::uint16_t address, std::uint16_t length, std::uint8_t flag) {
  Put(port, VdEntryAddress(k),
      {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF),
       static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length & 0xFF), flag});
}

void OtpFlowTest::PutRecord(std::uint32_t port, int i, std::uint16_t address, std::uint8_t value, std::uint8_t marker) {
  Put(port, EccRecordAddress(i),
      {static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address & 0xFF), value, marker});
}

void OtpFlowTest::Arm(std::uint32_t port, const std::vector<std::uint16_t>& failingCells, bool locked) {
  vcodec::Faults faults;
  faults.otpFailAddresses = failingCells;
  faults.otpLocked = locked;
  ASSERT_TRUE(bus_->ArmFaults(port, faults));
}

void OtpFlowTest::LayUsed(std::uint32_t port, int inUse, std::uint16_t used) {
  for (int k = 0; k < inUse; ++k) PutEntry(port, k, 0, k == inUse - 1 ? used : 0, kVdFlagRetired);
}
