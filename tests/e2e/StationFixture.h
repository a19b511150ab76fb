#pragma once
// A test station: the real program copied into a temporary directory of its own, a bus file of
// emulated codecs made with lumatrace-emu, images made with lumatrace-imagegen.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

class Station : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = dir_.File("lumatrace");
    std::filesystem::copy_file(BuiltProgram("lumatrace"), program_);
    Configure("CheckVIDPID_INI=1\r\nSaveResultToFile=1\r\nLogType=1\r\n");
  }
  // The station's configuration text (section header and the fast reset wait added).
  void Configure(const std::string& keys) {
    dir_.Write("station.ini", "[Lumatrace Config]\r\nWait Time=700\r\n" + keys);
  }
  ProgramResult Emu(std::vector<std::string> args) {
    args.insert(args.begin() + 1, dir_.File("bus"));
    ProgramResult r = RunProgram(BuiltProgram("lumatrace-emu"), args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r;
  }
  std::string Image(const std::string& name, std::vector<std::string> args) {
    args.push_back("-o");
    args.push_back(dir_.File(name));
    const ProgramResult r = RunProgram(BuiltProgram("lumatrace-imagegen"), args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return dir_.File(name);
  }
  ProgramResult Run(const std::vector<std::string>& args) {
    ProgramOptions options;
    options.env["LUMATRACE_EMULATOR"] = dir_.File("bus");
    options.env["LUMATRACE_CONFIG"] = dir_.File("station.ini");
    options.workingDirectory = dir_.path();
    options.timeout = std::chrono::seconds(60);
    return RunProgram(program_, args, options);
  }
  std::string Memory(int port, std::size_t bytes) {
    Emu({"dump", "--port", std::to_string(port), dir_.File("memory.bin")});
    return dir_.Read("memory.bin").substr(0, bytes);
  }
  std::string Show() { return Emu({"show", "--json"}).out; }
  // What every console run ends with: the prompt of the program's directory.
  std::string Prompt() const { return dir_.path() + ">"; }

  TempDir dir_;
  std::string program_;
};
