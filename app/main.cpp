#include <string>
#include <vector>

#include "app/LumatraceApp.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv, argv + argc);
  CLumatraceApp app;
  app.InitInstance(arguments);
  return app.ExitInstance();
}
