#pragma once
// Process-wide values that every subsystem reaches.

#include <atomic>
#include <cstdint>
#include <string>

#include "app/NotifyTarget.h"

class CDevFlow;
class CICTypeIni;
class CParseArg;
class DeviceListView;

enum RunMode : std::int32_t { kRunModeGui = 0, kRunModeCommandLine = 1 };

struct OsInfo {
  int majorVersion = 0;
};

struct AppContext {
  NotifyTarget* notifyWnd1 = nullptr;  // nothing sets it; cleared at exit
  NotifyTarget* notifyWnd2 = nullptr;  // nothing sets it
  NotifyTarget* mainDialog = nullptr;  // the main window while GUI mode runs
  OsInfo* osInfo = nullptr;
  std::int32_t runMode = kRunModeGui;
  // The command line decides the exit code by what its operation did (-1: not decided).
  std::int32_t commandLineExitCode = -1;
  CParseArg* parseArg = nullptr;
  std::int32_t iniType = 0;
  std::int32_t uiMode = 0;
  std::uint8_t busType = 0;
  std::uint8_t memoryType = 0;
  CICTypeIni* icTypeIni = nullptr;
  CICTypeIni* icTypeIni2 = nullptr;  // holds only the VID/PID list; made on first use
  CDevFlow* flow = nullptr;  // the memory object, made by CreateMemoryObject
  std::uint8_t chipOptionByte = 0;
  DeviceListView* deviceList = nullptr;  // the main window's device list while it exists
};

[[nodiscard]] AppContext& App();

// The first non-null notification window, or null.
[[nodiscard]] NotifyTarget* NotifyWindow();

// The last reported text id (0 for none); decides the exit code.
extern std::atomic<std::int32_t> lastErrorCode;

// The short program version ("2.61.56" for file version "2.61.9600.56"), at most 15 characters.
extern char toolVersion[16];
