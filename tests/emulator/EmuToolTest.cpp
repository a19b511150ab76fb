// lumatrace-emu from the shell: create, show --json, dump, fault, unplug/plug, bad arguments.

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "device/usb/EmulatorBackend.h"
#include "emulator/Bus.h"
#include "emulator/Sha256.h"
#include "tests/emulator/TestImage.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

using namespace vcodec_test;

namespace {

ProgramResult Emu(const std::vector<std::string>& args) { return RunProgram(BuiltProgram("lumatrace-emu"), args); }

TEST(EmuToolTest, CreateWithFirmwareShowsItsVersionAndDumpsItsMemory) {
  TempDir dir;
  ImageRecipe recipe;
  recipe.serial = "SN-TOOL-7";
  const std::vector<std::uint8_t> image = BuildImage(recipe);
  dir.Write("fw.rfw", std::string(image.begin(), image.end()));
  const std::string bus = dir.File("bus");
  ProgramResult r = Emu({"create", bus, "--chip", "VXQ64", "--memory", "flash", "--size", "131072", "--port", "3",
                         "--firmware", dir.File("fw.rfw")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "port 3\n");
  r = Emu({"create", bus, "--chip", "VXQ61", "--memory", "eeprom16", "--chip-id", "0x0000", "--ext-unit", "after-standard",
            "--transfer-us", "125", "--unprotected"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "port 1\n");

  r = Emu({"show", bus, "--json"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("{\"devices\": [{\"port\": 1, \"chip\": \"VXQ61\", \"memory\": \"eeprom16\", \"mode\": \"rom\""),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("{\"port\": 3, \"chip\": \"VXQ64\", \"memory\": \"flash\", \"mode\": \"firmware\", "
                       "\"version\": \"1.234.0102-0304.0506\", \"vid\": \"0x3C5E\", \"pid\": \"0x4C15\", "
                       "\"rev\": \"0x0102\", \"serial\": \"SN-TOOL-7\", \"memory_sha256\": \""),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"transfers\": 0, \"bus_ms\": 0.000}"), std::string::npos);

  r = Emu({"dump", bus, "--port", "3", dir.File("out.bin")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string dumped = dir.Read("out.bin");
  ASSERT_EQ(dumped.size(), 131072u);
  EXPECT_EQ(dumped.substr(0, image.size()), std::string(image.begin(), image.end()));
  const std::string sha = vcodec::Sha256Hex(reinterpret_cast<const std::uint8_t*>(dumped.data()), dumped.size());
  EXPECT_NE(Emu({"show", bus, "--json"}).out.find(sha), std::string::npos);
}

TEST(EmuToolTest, FaultsUnplugAndPlugReachTheSharedBus) {
  TempDir dir;
  const std::string bus = dir.File("bus");
  ASSERT_EQ(Emu({"create", bus, "--chip", "VXQ62", "--memory", "otp"}).exitCode, 0);
  ASSERT_EQ(Emu({"fault", bus, "--port", "1", "--stall-transfer", "2", "--otp-fail", "0x10", "--otp-lock"}).exitCode, 0);
  std::string error;
  {
    auto b = vcodec::Bus::OpenFile(bus, ProgramTimeSource(), false, &error);
    ASSERT_TRUE(b) << error;
    EXPECT_EQ(b->Register(1, 0xFD0C).value_or(0) & 0x08, 0x08);
  }
  ASSERT_EQ(Emu({"unplug", bus, "--port", "1"}).exitCode, 0);
  {
    auto b = vcodec::Bus::OpenFile(bus, ProgramTimeSource(), false, &error);
    EXPECT_TRUE(b->Enumerate(DeviceSet::kAudioFunctions).empty());
  }
  ASSERT_EQ(Emu({"plug", bus, "--port", "1"}).exitCode, 0);
  ASSERT_EQ(Emu({"reset-counters", bus}).exitCode, 0);
  auto b = vcodec::Bus::OpenFile(bus, ProgramTimeSource(), false, &error);
  EXPECT_EQ(b->Enumerate(DeviceSet::kAudioFunctions).size(), 1u);
  // The lock is a fuse: it survives the power cycle.
  EXPECT_EQ(b->Register(1, 0xFD0C).value_or(0) & 0x08, 0x08);
}

TEST(EmuToolTest, ConcurrentCreatesGetTheirOwnPorts) {
  TempDir dir;
  const std::string bus = dir.File("bus");
  std::vector<ProgramResult> results(4);
  std::vector<std::thread> runs;
  for (std::size_t i = 0; i < results.size(); ++i) {
    runs.emplace_back([&, i] { results[i] = Emu({"create", bus, "--chip", "VXQ65", "--memory", "eeprom8"}); });
  }
  for (auto& t : runs) t.join();
  std::set<std::string> ports;
  for (const ProgramResult& r : results) {
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ports.insert(r.out);
  }
  EXPECT_EQ(ports, (std::set<std::string>{"port 1\n", "port 2\n", "port 3\n", "port 4\n"}));
}

TEST(EmuToolTest, BadArgumentsFailWithAMessage) {
  TempDir dir;
  const std::string bus = dir.File("bus");
  dir.Write("notabus", "hello");
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate", bus},
      {"create"},
      {"create", bus, "--chip", "VXQ62"},
      {"create", bus, "--chip", "VXQ62", "--memory", "tape"},
      {"create", bus, "--chip", "VXQ62", "--memory", "flash", "--size", "1000"},
      {"create", bus, "--chip", "VXQ62", "--memory", "flash", "--unit", "16"},
      {"create", bus, "--chip", "VXQ62", "--memory", "flash", "--port", "9"},
      {"create", bus, "--chip", "VXQ62", "--memory", "flash", "--vid", "0x10000"},
      {"create", bus, "--chip", "VXQ62", "--memory", "flash", "--firmware", dir.File("missing")},
      {"create", bus, "--chip", "VXQ62", "--memory", "flash", "--ext-unit", "sideways"},
      {"show", dir.File("notabus")},
      {"show", dir.File("missing")},
      {"dump", bus, "--port", "1"},
      {"fault", bus, "--stall-transfer", "1"},
      {"fault", bus, "--port", "1", "--stuck", "12"},
      {"unplug", bus, "--port", "2", "extra"},
  };
  for (const auto& args : cases) {
    std::string line;
    for (const auto& a : args) line += a + " ";
    SCOPED_TRACE(line);
    const ProgramResult r = Emu(args);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("lumatrace-emu: "), std::string::npos) << r.err;
  }
  // An existing bus, but nothing on the port.
  ASSERT_EQ(Emu({"create", bus, "--chip", "VXQ62", "--memory", "flash"}).exitCode, 0);
  EXPECT_EQ(Emu({"create", bus, "--chip", "VXQ62", "--memory", "flash", "--port", "1"}).exitCode, 1);
  const ProgramResult r = Emu({"dump", bus, "--port", "4", dir.File("x")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no device on port 4"), std::string::npos);
  const ProgramResult help = Emu({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("usage: lumatrace-emu"), std::string::npos);
}

}  // namespace
