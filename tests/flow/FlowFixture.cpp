#include "tests/flow/FlowFixture.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/ParseArg.h"
#include "device/CommandLock.h"
#include "device/KoCamApi.h"
#include "device/ProxyChannel.h"
#include "flow/MemoryObject.h"
#include "flow/StopFlag.h"
#include "image/ICTypeIni.h"
#include "platform/ExecutablePath.h"
#include "tests/support/RunProgram.h"

void FlowFixture::SetUp() {
  static std::atomic<int> counter{0};
  SetClockForTesting(&clock_);
  lockName_ = "test-flow-lock-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  SetCommandLockNameForTesting(lockName_);
  SetExecutableDirectoryForTesting(dir_.path());
  bus_ = vcodec::Bus::CreateInMemory(ProgramTimeSource());
  ASSERT_TRUE(bus_);
  backend_ = std::make_unique<EmulatorBackend>(*bus_);
  SetUsbBackendForTesting(backend_.get());
  ASSERT_EQ(KoCam_Init(0), 1);
  CConfigIni().LoadConfig();
  AppContext& app = App();
  app.memoryType = 0;
  app.busType = 0;
  app.icTypeIni = new CICTypeIni(0);
  app.icTypeIni->BuildIcDefinitionList();
  app.icTypeIni->LoadCurrentIcDefinition();
  app.parseArg = new CParseArg();
  CreateMemoryObject(0, 0);
  ASSERT_NE(app.flow, nullptr);
  SetStopRequested(false);
  lastErrorCode.store(0);
}

void FlowFixture::TearDown() {
  AppContext& app = App();
  if (app.flow != nullptr) app.flow->DEV_CloseDevice();
  DeleteMemoryObject();
  delete app.icTypeIni;
  delete app.icTypeIni2;
  delete app.parseArg;
  app.icTypeIni = app.icTypeIni2 = nullptr;
  app.parseArg = nullptr;
  DeleteConfigStore();
  (void)KoCam_Uninit();
  SetUsbBackendForTesting(nullptr);
  backend_.reset();
  bus_.reset();
  SetCommandLockNameForTesting("");
  shm_unlink(("/lumatrace-" + lockName_).c_str());
  SetExecutableDirectoryForTesting("");
  SetClockForTesting(nullptr);
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
