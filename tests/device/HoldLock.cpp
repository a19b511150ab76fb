// Test helper: another process that holds the command lock.
//   hold-lock NAME READY_FILE RELEASE_FILE   holds it until RELEASE_FILE exists
//   hold-lock NAME READY_FILE -              ends while holding it (the lock is left abandoned)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "platform/NamedMutex.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s NAME READY_FILE RELEASE_FILE|-\n", argv[0]);
    return 2;
  }
  NamedMutex lock(argv[1]);
  if (lock.Wait(5000) != MutexWait::kObtained) return 3;
  std::ofstream(argv[2]) << "held\n";
  const std::string release = argv[3];
  if (release == "-") _exit(0);
  for (int i = 0; i < 2000 && access(release.c_str(), F_OK) != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  lock.Release();
  return 0;
}
