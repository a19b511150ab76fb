#pragma once
// Runs a program of the build (the real binaries) and collects what it printed.

#include <chrono>
#include <map>
#include <string>
#include <vector>

struct ProgramResult {
  int exitCode = -1;     // -1 when it did not end normally (signal or time-out)
  bool timedOut = false;
  std::string out;       // standard output
  std::string err;       // standard error
};

struct ProgramOptions {
  std::map<std::string, std::string> env;  // added to (or replacing in) the environment
  std::string workingDirectory;            // empty: the test's own
  std::string stdinText;
  std::chrono::milliseconds timeout{std::chrono::seconds(120)};
};

// path: absolute path of the program; arguments exclude the program itself.
ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& arguments,
                         const ProgramOptions& options = {});

// Path of a program built into the build's bin directory.
[[nodiscard]] std::string BuiltProgram(const std::string& name);
