#pragma once
// The application object: start-up, one run mode, exit.

#include <string>
#include <vector>

#include "app/ConfigIni.h"

class CLumatraceApp : public CConfigIni {
 public:
  // Runs the whole start-up and the chosen run mode. Always false: no message loop follows.
  bool InitInstance(const std::vector<std::string>& arguments);
  // Tears down and returns the exit code: 1 when lastErrorCode is non-zero, else 0.
  int ExitInstance();

 private:
  void CreateAppObjects();
  void DestroyAppObjects();
  void RunCommandLine(const std::vector<std::string>& arguments);
  void RunGui();

  bool captureStarted_ = false;
};
