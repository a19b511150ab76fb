#include "app/CommandLineMode.h"

#include <cstdio>
#include <memory>

#include "app/AppContext.h"
#include "app/ConsoleProgress.h"
#include "app/ParseArg.h"
#include "device/KoCamApi.h"
#include "flow/DevFlow.h"
#include "platform/Terminal.h"

void RunCommandLineMode(const std::vector<std::string>& arguments) {
  AppContext& app = App();
  if (app.parseArg == nullptr) app.parseArg = new CParseArg();
  CParseArg& parse = *app.parseArg;
  // A command line that does not parse ran nothing: that is no success.
  app.commandLineExitCode = 1;
  if (parse.Parse_Arg(arguments) != 1) return;

  app.runMode = kRunModeCommandLine;
  parse.AttachParentConsole();
  parse.ConsoleWrite("\n");
  // People at a terminal see the steps; stdout and the result files never carry them.
  std::unique_ptr<ConsoleProgress> progress;
  if (StderrIsTerminal()) {
    progress = std::make_unique<ConsoleProgress>(stderr);
    app.notifyWnd2 = progress.get();
    parse.m_pProgress = progress.get();
  }
  if (parse.OpenDeviceForCommandLine() != 0) (void)parse.Excute_Arg();
  if (app.flow != nullptr) {
    app.flow->DEV_CloseDevice();
  } else {
    KoCam_CloseDevice();
  }
  if (progress) {
    app.notifyWnd2 = nullptr;
    parse.m_pProgress = nullptr;
    progress->Finish();
  }
  app.commandLineExitCode = parse.m_bRequestDone ? 0 : 1;
}
