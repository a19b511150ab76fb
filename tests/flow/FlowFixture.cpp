#include "tests/flow/FlowFixture.h"



#include "app/AppContext.h"
#include "app/ParseArg.h"
#include "platform/ExecutablePath.h"
#include "tests/support/RunProgram.h"

void FlowFixture::SetUp() {
  SetExecutableDirectoryForTesting(dir_.path());
  station_ = std::make_unique<EmulatedStation>();
  ASSERT_TRUE(station_->Ready());
  bus_ = station_->bus.get();
}

void FlowFixture::TearDown() {
  station_.reset();
  SetExecutableDirectoryForTesting("");
}

std::uint32_t FlowFixture::Plug(vcodec::DeviceConfig config, const std::vector<std::uint8_t>& firmware) {
  std::string error;
  const std::optional<std::uint32_t> port = bus_->Plug(config, firmware, &error);
  EXPECT_TRUE(port.has_value()) << error;
  return port.value_or(0);
}

void FlowFixture::Open() {
  CParseArg& parse = *App().parseArg;
  parse.m_cOperation = kOpWrite;
  ASSERT_EQ(Flow().DEV_OpenDeviceByVIDPID(), 1);
  Flow().DEV_GetDeviceInfo();
  Flow().DEV_InitResetOption();
  Flow().m_uFlags = kFlagAudioSearch;
}

void FlowFixture::OpenFor(const std::string& image) { ASSERT_NE(station_->OpenForWrite(image), nullptr); }

std::vector<vcodec::TransferRecord> FlowFixture::DryRun(const vcodec::DeviceConfig& config,
                                                       const std::string& image, std::uint32_t* port) {
  *port = Plug(config);
  OpenFor(image);
  bus_->ClearLog();
  EXPECT_EQ(Flow().DEV_Command(kOpWrite, image), 1);
  std::vector<vcodec::TransferRecord> log = bus_->Log();
  Flow().DEV_CloseDevice();
  EXPECT_TRUE(bus_->Remove(*port));
  return log;
}

std::string FlowFixture::MakeImage(const std::string& name, const std::vector<std::string>& arguments) {
  std::vector<std::string> args = arguments;
  const std::string path = dir_.File(name);
  args.push_back("-o");
  args.push_back(path);
  const ProgramResult r = RunProgram(BuiltProgram("lumatrace-imagegen"), args);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  return path;
}

std::vector<std::uint8_t> FlowFixture::Memory(std::uint32_t port, std::size_t bytes) const {
  std::vector<std::uint8_t> memory = bus_->Memory(port).value_or(std::vector<std::uint8_t>{});
  if (memory.size() > bytes) memory.resize(bytes);
  return memory;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  const std::string text = ReadFileBytes(path);
  return {text.begin(), text.end()};
}
