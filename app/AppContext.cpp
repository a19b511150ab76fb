#include "app/AppContext.h"

std::atomic<std::int32_t> lastErrorCode{0};
char toolVersion[16] = {};

AppContext& App() {
  static AppContext context;
  return context;
}

NotifyTarget* NotifyWindow() {
  AppContext& a = App();
  if (a.notifyWnd1 != nullptr) return a.notifyWnd1;
  if (a.notifyWnd2 != nullptr) return a.notifyWnd2;
  return a.mainDialog;
}
