#include "app/LumatraceApp.h"

#include "app/AppContext.h"
#include "app/CommandLineMode.h"
#include "app/DebugCapture.h"
#include "app/ParseArg.h"
#include "app/RunMode.h"
#include "app/ToolVersion.h"
#include "app/Trace.h"
#include "device/KoCamApi.h"
#include "flow/MemoryObject.h"
#include "image/ICTypeIni.h"
#include "ui/WindowMode.h"

bool CLumatraceApp::InitInstance(const std::vector<std::string>& arguments) {
  LoadConfig();
  if (GetConfigInt(0, kConfigSection, "Debug Log") != 0) captureStarted_ = StartDebugCapture();
  TraceInit();
  ReadToolVersion();
  TraceScope scope("CLumatraceApp::InitInstance");
  AppContext& app = App();
  app.uiMode = GetConfigInt(0, kConfigSection, "Customize UI");
  app.iniType = GetConfigInt(0, kConfigSection, "Ini Type");
  CreateAppObjects();
  KoCam_Init(GetConfigInt(0, kConfigSection, "Lib Type"));
  // Every later test of the UI mode takes the branch of mode 6, whatever the configuration says.
  app.uiMode = 6;

  if (IsCommandLineRun(ArgumentText(arguments))) {
    RunCommandLine(arguments);
  } else {
    RunGui();
  }
  return false;
}

void CLumatraceApp::RunCommandLine(const std::vector<std::string>& arguments) {
  RunCommandLineMode(arguments);
}

void CLumatraceApp::RunGui() {
  App().runMode = kRunModeGui;
  RunWindowMode();
}

void CLumatraceApp::CreateAppObjects() {
  DestroyAppObjects();
  AppContext& app = App();
  if (app.icTypeIni == nullptr) {
    app.icTypeIni = CreateStartupIcDefinition(app.iniType).release();
  }
  if (app.osInfo == nullptr) app.osInfo = new OsInfo{6};
  if (app.parseArg == nullptr) app.parseArg = new CParseArg();
  CreateMemoryObject(app.memoryType, app.busType);
}

void CLumatraceApp::DestroyAppObjects() {
  AppContext& app = App();
  DeleteMemoryObject();
  delete app.osInfo;
  app.osInfo = nullptr;
  delete app.icTypeIni;
  app.icTypeIni = nullptr;
  delete app.parseArg;
  app.parseArg = nullptr;
  delete app.icTypeIni2;
  app.icTypeIni2 = nullptr;
  app.notifyWnd1 = nullptr;
}

int CLumatraceApp::ExitInstance() {
  DestroyAppObjects();
  (void)GetConfigInt(0, kConfigSection, "Lib Type");
  KoCam_Uninit();
  if (GetConfigInt(0, kConfigSection, "Debug Log") != 0 || captureStarted_) {
    StopDebugCapture();
    captureStarted_ = false;
  }
  TraceShutdown();
  DeleteConfigStore();
  int code = lastErrorCode.load() != 0 ? 1 : 0;
  if (App().commandLineExitCode >= 0) code = App().commandLineExitCode;
  lastErrorCode.store(code);
  return code;
}
