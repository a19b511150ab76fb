// Full serial-flash and I2C EEPROM updates and dumps against an emulated codec: control
// transfers by kind, the protocol floor of each variant, the modelled bus time and the host's
// CPU time; for EEPROM also the modelled time with the part's own write cycles; for OTP the
// cost of its table bookkeeping.
//   lumatrace-bench-flash            (images are written with lumatrace-imagegen of the build)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "app/ParseArg.h"
#include "emulator/Bus.h"
#include "flow/DevFlow.h"
#include "platform/ExecutablePath.h"
#include "tests/support/EmulatedStation.h"

namespace {

struct Counts {
  std::uint64_t commands = 0;     // extension-unit command blocks (control 10 SET_CUR)
  std::uint64_t unitData = 0;     // extension-unit data phases (control 11)
  std::uint64_t unitOther = 0;    // GET_LEN, status blocks and the like
  std::uint64_t vendorBulk = 0;   // vendor requests moving flash or 8-bit EEPROM data
  std::uint64_t vendorOther = 0;
  std::uint64_t standard = 0;     // descriptor reads
  [[nodiscard]] std::uint64_t Total() const {
    return commands + unitData + unitOther + vendorBulk + vendorOther + standard;
  }
};

Counts Classify(const std::vector<vcodec::TransferRecord>& log) {
  Counts c;
  for (const auto& r : log) {
    const std::uint8_t type = r.setup.requestType & 0x60;
    if (type == 0x40) {
      const bool bulk = r.setup.request == 0x2E || r.setup.request == 0x2F || r.setup.request == 0x35 ||
                        r.setup.request == 0x36;
      (bulk ? c.vendorBulk : c.vendorOther)++;
    } else if (type == 0x20) {
      if (r.setup.value == 0x0A00 && r.setup.request == 0x01) {
        ++c.commands;
      } else if (r.setup.value == 0x0B00 && (r.setup.request == 0x01 || r.setup.request == 0x81)) {
        ++c.unitData;
      } else {
        ++c.unitOther;
      }
    } else {
      ++c.standard;
    }
  }
  return c;
}

bool MakeImage(const std::string& description, const std::string& path) {
  const std::string command = std::string(LUMATRACE_BIN_DIR) + "/lumatrace-imagegen " + description +
                              " --version 1.204.0001-0002.0003 -o " + path + " >/dev/null";
  return std::system(command.c_str()) == 0;
}

// A station with one codec plugged and the command line's open for a write of its image done
// (which also makes the image's memory object).
struct Bench {
  EmulatedStation station;
  std::uint32_t port = 0;
  CDevFlow* flow = nullptr;
};

// The image from description, the codec of config, the open; null after a message on stderr.
std::unique_ptr<Bench> Prepare(const std::string& description, const std::string& image, const vcodec::DeviceConfig& config) {
  if (!MakeImage(description, image)) {
    std::fprintf(stderr, "lumatrace-bench-flash: cannot write %s with lumatrace-imagegen\n", image.c_str());
    return nullptr;
  }
  auto b = std::make_unique<Bench>();
  if (!b->station.Ready()) return nullptr;
  std::string error;
  const std::optional<std::uint32_t> port = b->station.bus->Plug(config, {}, &error);
  if (!port) {
    std::fprintf(stderr, "lumatrace-bench-flash: %s\n", error.c_str());
    return nullptr;
  }
  b->port = *port;
  b->flow = b->station.OpenForWrite(image);
  if (b->flow == nullptr) return nullptr;
  return b;
}

// One operation (letter, path) with the log and counters cleared first; its CPU seconds, or -1
// after a message on stderr.
double Timed(Bench& b, std::uint8_t letter, const std::string& path, const char* what) {
  b.station.bus->ClearLog();
  (void)b.station.bus->ResetCounters(b.port);
  const std::clock_t start = std::clock();
  if (b.flow->DEV_Command(letter, path) != 1) {
    std::fprintf(stderr, "lumatrace-bench-flash: the %s failed (%d)\n", what, lastErrorCode.load());
    return -1;
  }
  return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

void Print(const char* what, std::size_t size, std::uint32_t unit, const Counts& c, std::uint64_t floor,
           double cpuSeconds) {
  const std::uint64_t total = c.Total();
  std::printf("%-7s %4zu KiB unit %2u | cmd %5llu data %6llu unit-other %4llu vendor-bulk %4llu vendor-other %4llu std %3llu"
              " | total %6llu floor %6llu ratio %5.2f | bus %7.1f ms @1ms %6.1f ms @125us | cpu %5.2f us/transfer\n",
              what, size / 1024, unit, static_cast<unsigned long long>(c.commands),
              static_cast<unsigned long long>(c.unitData), static_cast<unsigned long long>(c.unitOther),
              static_cast<unsigned long long>(c.vendorBulk), static_cast<unsigned long long>(c.vendorOther),
              static_cast<unsigned long long>(c.standard), static_cast<unsigned long long>(total),
              static_cast<unsigned long long>(floor), floor != 0 ? static_cast<double>(total) / floor : 0.0,
              total * 1.0, total * 0.125, total != 0 ? cpuSeconds * 1e6 / static_cast<double>(total) : 0.0);
}

int RunOne(std::size_t size, std::uint32_t unit, const std::string& dir) {
  const std::string image = dir + "/fw-" + std::to_string(size) + ".rfw";
  vcodec::DeviceConfig config;
  config.memorySize = 0x80000;
  config.maxUnit = unit;
  const auto b = Prepare("--chip VXQ62 --size " + std::to_string(size) + " --code 0xEFFE --memory flash", image, config);
  if (!b) return 1;
  double cpu = Timed(*b, kOpWrite, image, "update");
  if (cpu < 0) return 1;
  // The update moves the written image three times (empty check, write, verify) in 4 KiB
  // requests, after one read of the sector at 0x1F000 that the image keeps (which also extends
  // a shorter image to 128 KiB).
  const std::uint64_t moved = (b->flow->imageBytes.size() + 4095) / 4096;
  Print("update", size, unit, Classify(b->station.bus->Log()), 3 * moved + 1, cpu);
  const std::uint64_t pieces = (size + 4095) / 4096;
  g_uMemSize = static_cast<std::uint32_t>(size);
  cpu = Timed(*b, kOpDumpSpi, dir + "/dump.bin", "dump");
  if (cpu < 0) return 1;
  // A dump reads through the extension unit: one data phase per unit, one command per chunk.
  const std::uint32_t used = unit >= 64 ? 64 : 8;
  Print("dump", size, unit, Classify(b->station.bus->Log()), size / used + pieces, cpu);
  return 0;
}

// One EEPROM update and one dump. Every EEPROM command moves 8 bytes, and every write command
// costs the part one write cycle (5 ms, the usual worst case of I2C EEPROMs).
int RunEeprom(bool wide, std::size_t size, const std::string& dir) {
  constexpr std::uint32_t kWriteCycleUs = 5000;
  const std::string image = dir + (wide ? "/e16-" : "/e8-") + std::to_string(size) + ".rfw";
  const std::string description = wide ? "--chip VXQ62 --memory eeprom16 --area 0 --code 0 --size " + std::to_string(size)
                                       : "--chip VXQ61 --memory eeprom8 --area 0 --capacity 512 --code 0 --size " +
                                             std::to_string(size);
  vcodec::DeviceConfig config;
  if (wide) {
    config.memory = vcodec::MemoryKind::kEeprom16;
  } else {
    config.model = vcodec::ChipModel::kVXQ61;
    config.chipId = 0x0000;
    config.memory = vcodec::MemoryKind::kEeprom8;
  }
  config.latency.pageProgramUs = kWriteCycleUs;
  const auto b = Prepare(description, image, config);
  if (!b) return 1;
  const std::uint64_t chunks = (size + 7) / 8;
  for (int pass = 0; pass < 2; ++pass) {
    const double cpu = pass == 0 ? Timed(*b, kOpWrite, image, "EEPROM update")
                                 : Timed(*b, 'R', dir + "/ee-dump.bin", "EEPROM dump");
    if (cpu < 0) return 1;
    // Floor: the update writes and reads back every chunk of the image, plus the tag (the 8-bit
    // form also erases and reads the first 64 bytes); the dump reads every chunk of the part.
    // A 16-bit command is a command block and a data phase, an 8-bit one a vendor request.
    const std::uint64_t perChunk = wide ? 2 : 1;
    const std::uint64_t partChunks = (wide ? 0x10000 : 0x800) / 8;
    const std::uint64_t floor = perChunk * (pass == 0 ? 2 * chunks + 1 + (wide ? 0 : 1 + 64 / 8) : partChunks);
    Print(pass == 0 ? (wide ? "ee16 update" : "ee8 update") : (wide ? "ee16 dump" : "ee8 dump"),
          pass == 0 ? size : partChunks * 8, 8, Classify(b->station.bus->Log()), floor, cpu);
    const auto info = b->station.bus->Info(b->port);
    if (info) {
      std::printf("        modelled with the write cycles: %llu pages programmed, %.1f ms\n",
                  static_cast<unsigned long long>(info->counters.pagesProgrammed), info->counters.busUs / 1000.0);
    }
  }
  return 0;
}

// One OTP download into an empty OTP (code block and configuration block) and one dump of
// the combined image. Besides the data, every table write is followed by a program-fail read,
// and placement, repair budget and retiring read the VD and ECC tables again and again.
int RunOtp(std::size_t codeBytes, const std::string& dir) {
  const std::string image = dir + "/otp-" + std::to_string(codeBytes) + ".rfw";
  vcodec::DeviceConfig config;
  config.memory = vcodec::MemoryKind::kOtp;
  const auto b = Prepare("--chip VXQ62 --memory otp --size 16384 --area 0 --capacity 16384 --hwap 0x1060 "
                         "--code 16384 --serial BENCH --otpcode " + std::to_string(codeBytes),
                         image, config);
  if (!b) return 1;
  // The area length: both blocks together hold it and one more 15-byte header.
  const std::size_t total = b->flow->imageBytes[3] | (b->flow->imageBytes[4] << 8);
  for (int pass = 0; pass < 2; ++pass) {
    const double cpu = pass == 0 ? Timed(*b, kOpWrite, image, "OTP download")
                                 : Timed(*b, kOpDumpOtp, dir + "/otp-dump.bin", "OTP dump");
    if (cpu < 0) return 1;
    // Floor: the blocks moved in 8-byte data phases (the data unit OTP commands run with) and one
    // command block per 4096-byte chunk, written and read back (download) or read (dump); the
    // table bookkeeping is what the ratio shows on top.
    std::uint64_t floor = 0;
    for (const std::size_t block : {15 + codeBytes + 8, total - codeBytes - 8}) floor += (block + 4095) / 4096 + (block + 7) / 8;
    if (pass == 0) floor *= 2;
    Print(pass == 0 ? "otp download" : "otp dump", total + 15 * (pass == 0 ? 1 : 0), 8, Classify(b->station.bus->Log()),
          floor, cpu);
  }
  return 0;
}

}  // namespace

int main() {
  char pattern[] = "/tmp/lumatrace-bench-XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (dir == nullptr) return 1;
  SetExecutableDirectoryForTesting(dir);
  int failures = 0;
  for (const std::size_t size : {std::size_t{0x10000}, std::size_t{0x40000}}) {
    for (const std::uint32_t unit : {8u, 64u}) failures += RunOne(size, unit, dir);
  }
  failures += RunEeprom(false, 0x800, dir);
  failures += RunEeprom(true, 0x8000, dir);
  failures += RunEeprom(true, 0x10000, dir);
  failures += RunOtp(3000, dir);
  failures += RunOtp(12000, dir);
  const std::string cleanup = std::string("rm -rf ") + dir;
  (void)std::system(cleanup.c_str());
  return failures == 0 ? 0 : 1;
}
