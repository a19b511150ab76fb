#include "ui/WindowMode.h"

#include <cstdio>

#include "app/AppContext.h"
#include "flow/TextIds.h"

void RunWindowMode() {
  std::fprintf(stderr, "lumatrace: the update-station window is not built yet\n");
  lastErrorCode.store(IDS_NOT_SUPPORT);
}
