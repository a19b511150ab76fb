#include "tests/support/EmulatedStation.h"

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/ParseArg.h"
#include "device/CommandLock.h"
#include "device/KoCamApi.h"
#include "device/ProxyChannel.h"
#include "flow/DevFlow.h"
#include "flow/MemoryObject.h"
#include "flow/StopFlag.h"
#include "image/ICTypeIni.h"

EmulatedStation::EmulatedStation() {
  static std::atomic<int> counter{0};
  SetClockForTesting(&clock);
  lockName_ = "station-lock-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  SetCommandLockNameForTesting(lockName_);
  bus = vcodec::Bus::CreateInMemory(ProgramTimeSource());
  if (!bus) return;
  backend = std::make_unique<EmulatorBackend>(*bus);
  SetUsbBackendForTesting(backend.get());
  if (KoCam_Init(0) != 1) return;
  CConfigIni().LoadConfig();
  AppContext& app = App();
  app.memoryType = 0;
  app.busType = 0;
  app.icTypeIni = CreateStartupIcDefinition(0).release();
  app.parseArg = new CParseArg();
  CreateMemoryObject(0, 0);
  SetStopRequested(false);
  lastErrorCode.store(0);
  ready_ = app.flow != nullptr;
}

EmulatedStation::~EmulatedStation() {
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
  backend.reset();
  bus.reset();
  SetCommandLockNameForTesting("");
  shm_unlink(("/lumatrace-" + lockName_).c_str());
  SetClockForTesting(nullptr);
}

CDevFlow* EmulatedStation::OpenForWrite(const std::string& image) {
  CParseArg& parse = *App().parseArg;
  parse.m_cOperation = kOpWrite;
  parse.m_strFilePath = image;
  if (parse.LoadICTypeIni() == 0 || App().flow == nullptr) return nullptr;
  CDevFlow& flow = *App().flow;
  flow.DEV_GetDeviceInfo();
  flow.DEV_InitResetOption();
  flow.m_uFlags = kFlagAudioSearch;
  return &flow;
}
