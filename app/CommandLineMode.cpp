#include "app/CommandLineMode.h"

#include <cstdio>

#include "app/AppContext.h"
#include "flow/TextIds.h"

void RunCommandLineMode(const std::vector<std::string>&) {
  // The operations arrive with the device layer and the programming flows.
  std::fprintf(stderr, "lumatrace: the command-line operations are not built yet\n");
  lastErrorCode.store(IDS_NOT_SUPPORT);
}
