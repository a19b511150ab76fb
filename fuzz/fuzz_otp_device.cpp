// An OTP in any state: the input is the chip's OTP content (the VD and ECC tables first, then
// the data area from address 0), and a download, the space report and a dump run against it.
// Nothing may crash or hang, and a download reported as a success must leave the image's
// blocks current as the chip reads them.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "app/ParseArg.h"
#include "emulator/Bus.h"
#include "flow/DevFlow.h"
#include "platform/MessageBox.h"
#include "tests/support/EmulatedStation.h"
#include "tests/support/OtpContent.h"
#include "tools/imagegen/ImageDescription.h"
#include "tools/imagegen/ImageWriter.h"

namespace {

struct Setup {
  EmulatedStation station;
  std::string image, dump;
  otp_content::Blocks expected;
};

Setup& Get() {
  static Setup* setup = [] {
    auto* s = new Setup();
    ImageDescription d;
    std::string error;
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"chip", "VXQ62"}, {"memory", "otp"}, {"size", "4096"}, {"area", "0"}, {"capacity", "4096"},
             {"hwap", "0x1060"}, {"code", "4096"}, {"otpcode", "900"}, {"serial", "FUZZ"}}) {
      if (!d.Set(key, value, error)) __builtin_trap();
    }
    std::vector<std::uint8_t> bytes;
    if (!WriteImage(d, bytes, error)) __builtin_trap();
    s->image = "/tmp/fuzz-otp-device-" + std::to_string(getpid()) + ".rfw";
    s->dump = "/tmp/fuzz-otp-device-" + std::to_string(getpid()) + ".bin";
    std::ofstream(s->image, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
    s->expected = otp_content::ExpectedBlocks(bytes);
    // Nearly full tables are the interesting ones: the operator agrees to every question.
    SetMessageBoxHandler([](const std::string&, const std::string&, MessageBoxButtons) { return MessageBoxAnswer::kYes; });
    return s;
  }();
  return *setup;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Setup& s = Get();
  vcodec::DeviceConfig config;
  config.memory = vcodec::MemoryKind::kOtp;
  const auto port = s.station.bus->Plug(config, {}, nullptr);
  if (!port) return 0;
  const std::size_t tableBytes = std::min<std::size_t>(size, otp_content::kOtpBytes - otp_content::kVdTable);
  (void)s.station.bus->WriteMemory(*port, otp_content::kVdTable, std::vector<std::uint8_t>(data, data + tableBytes));
  const std::size_t dataBytes = std::min<std::size_t>(size - tableBytes, otp_content::kDataEnd);
  (void)s.station.bus->WriteMemory(*port, 0, std::vector<std::uint8_t>(data + tableBytes, data + tableBytes + dataBytes));

  if (CDevFlow* opened = s.station.OpenForWrite(s.image); opened != nullptr) {
    CDevFlow& flow = *opened;
    if (flow.DEV_Command(kOpWrite, s.image) == 1) {
      const std::vector<std::uint8_t> otp = s.station.bus->Memory(*port).value_or(std::vector<std::uint8_t>{});
      if (otp_content::CurrentBlock(otp, 0x55).bytes != s.expected.code) __builtin_trap();
      if (otp_content::CurrentBlock(otp, 0xAA).bytes != s.expected.config) __builtin_trap();
    }
    (void)flow.DEV_Command(kOpDetect, s.image);
    (void)flow.DEV_Command(kOpDumpOtp, s.dump);
    flow.DEV_CloseDevice();
  }
  (void)s.station.bus->Remove(*port);
  return 0;
}
