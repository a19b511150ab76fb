// EEPROM updates against emulated codecs of both address widths: what reaches the EEPROM and
// in which order, what the chip boots, the erase and the dumps, and every failure of the flows
// with its text id, its log line and the write protection restored.
#include <algorithm>
#include <functional>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/ParseArg.h"
#include "flow/EepromFlow.h"
#include "flow/MemoryObject.h"
#include "flow/MpFlow.h"
#include "flow/StopFlag.h"
#include "flow/TextIds.h"
#include "image/MpConfig.h"
#include "tests/flow/FlowFixture.h"

namespace {

// 8-bit EEPROM traffic travels as vendor requests, 16-bit traffic as extension-unit commands.
constexpr std::uint8_t kEep8Read = 0x35;
constexpr std::uint8_t kEep8Write = 0x36;
constexpr std::uint8_t kWriteMem = 0x24;
constexpr std::uint8_t kResetRom = 0x22;
constexpr std::uint8_t kExtEep16Read = 0xD1;
constexpr std::uint8_t kExtEep16Write = 0x91;

const std::vector<std::string> kImage8 = {"--chip", "VXQ61", "--memory", "eeprom8", "--area", "0",
                                          "--size", "2048", "--capacity", "512", "--code", "0",
                                          "--version", "1.100.0001-0001.0001"};
const std::vector<std::string> kImage16 = {"--chip", "VXQ62", "--memory", "eeprom16", "--area", "0",
                                           "--size", "32768", "--code", "0",
                                           "--version", "1.204.0001-0002.0003"};

vcodec::DeviceConfig Codec(bool wide) {
  vcodec::DeviceConfig c;
  if (wide) {
    c.memory = vcodec::MemoryKind::kEeprom16;
  } else {
    c.model = vcodec::ChipModel::kVXQ61;
    c.chipId = 0x0000;
    c.memory = vcodec::MemoryKind::kEeprom8;
  }
  return c;
}

// One EEPROM command of the transfer log: its kind, address and (for writes) data.
struct EepromCommand {
  bool write;
  std::uint32_t address;
  std::vector<std::uint8_t> data;
};

bool IsExtCommand(const vcodec::TransferRecord& r, std::uint8_t opcode) {
  return r.setup.request == 0x01 && (r.setup.value >> 8) == 10 && r.data.size() == 8 && r.data[0] == 0x02 &&
         r.data[1] == opcode;
}

class EepromFlowTest : public FlowFixture {
 protected:
  void TearDown() override {
    SetConfigInt(kConfigSection, "SaveSN", 0);
    g_uMemSize = kInitialMemSize;
    FlowFixture::TearDown();
  }
  // The command line's open without an image, on the object of the given width.
  void OpenWithoutImage(bool wide) {
    App().memoryType = wide ? kMemoryEeprom16 : kMemoryEeprom8;
    CreateMemoryObject(App().memoryType, 0);
    CParseArg& parse = *App().parseArg;
    // The version query opens the device without an image and keeps the memory object (an
    // erase would take the memory from the built-in definitions, which name flash).
    parse.m_cOperation = kOpVersion;
    ASSERT_EQ(parse.LoadICTypeIni(), 1);
    Flow().DEV_GetDeviceInfo();
    Flow().DEV_InitResetOption();
    Flow().m_uFlags = kFlagAudioSearch;
  }
  // The EEPROM commands of the log, in order.
  std::vector<EepromCommand> Commands(std::uint32_t port, bool wide) const {
    std::vector<EepromCommand> out;
    const auto log = bus_->Log();
    for (std::size_t i = 0; i < log.size(); ++i) {
      const auto& r = log[i];
      if (r.port != port) continue;
      if (wide) {
        const bool write = IsExtCommand(r, kExtEep16Write);
        if (!write && !IsExtCommand(r, kExtEep16Read)) continue;
        EepromCommand c{write, static_cast<std::uint32_t>(r.data[2] | r.data[3] << 8), {}};
        // The data phases on control 11 follow the command.
        for (std::size_t j = i + 1; write && j < log.size() && (log[j].setup.value >> 8) == 11; ++j) {
          if (log[j].port == port) c.data.insert(c.data.end(), log[j].data.begin(), log[j].data.end());
        }
        out.push_back(c);
      } else if (r.setup.request == kEep8Read || r.setup.request == kEep8Write) {
        out.push_back({r.setup.request == kEep8Write, r.setup.index, r.data});
      }
    }
    return out;
  }
  // The protect line is pulled up again: neither register pair drives it.
  bool EepromProtected(std::uint32_t port) const {
    return (bus_->Register(port, 0xFEA0).value_or(0xFF) & 0x20) == 0 &&
           (bus_->Register(port, 0xFEA1).value_or(0xFF) & 0x02) == 0;
  }
  bool TouchedProtectRegisters(std::uint32_t port) const {
    for (const auto& r : bus_->Log()) {
      if (r.port == port && r.setup.request == kWriteMem && r.setup.index >= 0xFEA0 && r.setup.index <= 0xFEA7) return true;
    }
    return false;
  }
};

TEST_F(EepromFlowTest, BothWidthsWriteVerifyAndBootWithTheTagLast) {
  for (const bool wide : {false, true}) {
    SCOPED_TRACE(wide ? "16-bit" : "8-bit");
    const std::uint32_t port = Plug(Codec(wide));
    const std::string image = MakeImage(wide ? "e16.rfw" : "e8.rfw", wide ? kImage16 : kImage8);
    const std::vector<std::uint8_t> bytes = ReadBytes(image);
    ASSERT_EQ(bytes[1], 0xA5);
    OpenFor(image);
    bus_->ClearLog();
    ASSERT_EQ(Flow().DEV_Command(kOpWrite, image), 1);
    EXPECT_EQ(lastErrorCode.load(), 0);
    EXPECT_EQ(Memory(port, bytes.size()), bytes);
    const auto info = bus_->Info(port);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->firmware);
    EXPECT_EQ(info->version, wide ? "1.204.0001-0002.0003" : "1.100.0001-0001.0001");
    EXPECT_TRUE(EepromProtected(port));

    const std::vector<EepromCommand> commands = Commands(port, wide);
    ASSERT_FALSE(commands.empty());
    // The chunk at 0 carried 0xFF in the tag byte; the last command is the tag, after every read.
    const auto first = std::find_if(commands.begin(), commands.end(), [](const EepromCommand& c) {
      return c.write && c.address == 0 && c.data.size() == 8 && c.data[0] != 0xFF;
    });
    ASSERT_NE(first, commands.end());
    EXPECT_EQ(first->data[1], 0xFF);
    EXPECT_TRUE(commands.back().write);
    EXPECT_EQ(commands.back().address, 1u);
    ASSERT_FALSE(commands.back().data.empty());
    EXPECT_EQ(commands.back().data.front(), 0xA5);
    EXPECT_FALSE(commands[commands.size() - 2].write);
    // Every chunk of the image is 8 bytes (the 8-bit flow first erases 64 bytes in one command).
    const std::vector<std::uint8_t> erase(kEep8CheckedBytes, 0xFF);
    EXPECT_TRUE(std::all_of(commands.begin(), commands.end() - 1, [&](const EepromCommand& c) {
      return !c.write || c.data.size() == 8 || (!wide && c.address == 0 && c.data == erase);
    }));

    Flow().DEV_CloseDevice();
    OpenFor(image);
    EXPECT_EQ(Flow().DEV_Command(kOpVerify, image), 1);
    std::vector<std::uint8_t> changed = bytes;
    changed[0x300] ^= 0x01;
    const std::string other = dir_.Write("changed.rfw", std::string(changed.begin(), changed.end()));
    EXPECT_EQ(Flow().DEV_Command(kOpVerify, other), 0);
    EXPECT_EQ(lastErrorCode.load(), IDS_COMPARE_DATA_FAIL);
    Flow().DEV_CloseDevice();
    ASSERT_TRUE(bus_->Remove(port));
  }
}

struct FailureCase {
  const char* name;
  bool wide;
  // Arms the fault; nth(match, occurrence) finds a transfer of a dry run (occurrence -1: last).
  std::function<void(vcodec::Faults&, const std::function<std::uint64_t(const std::function<bool(const vcodec::TransferRecord&)>&, int)>&)> arm;
  int textId;
  const char* logLine;
  bool protectionRestored;
};

using Match = std::function<bool(const vcodec::TransferRecord&)>;

Match Request(std::uint8_t request, int index = -1) {
  return [=](const vcodec::TransferRecord& r) { return r.setup.request == request && (index < 0 || r.setup.index == index); };
}
Match Ext(std::uint8_t opcode) {
  return [=](const vcodec::TransferRecord& r) { return IsExtCommand(r, opcode); };
}

TEST_F(EepromFlowTest, EveryFailureIsReportedWithItsIdAndProtectionComesBack) {
  const FailureCase cases[] = {
      {"16: lifting protection", true, [](auto& f, auto& n) { f.removeAtTransfer = n(Request(kWriteMem, 0xFEA0), 0); },
       IDS_DISABLE_WRITE_PROTECT_FAIL, "Disable Write Protect Fail", false},
      {"16: write refused", true, [](auto& f, auto& n) { f.removeAtTransfer = n(Ext(kExtEep16Write), 10); },
       IDS_UPDATE_EEPROM_FAIL, "Write I2CEEP Fail", false},
      {"16: read back refused", true, [](auto& f, auto& n) { f.removeAtTransfer = n(Ext(kExtEep16Read), 0); },
       IDS_READ_EEPROM_FAIL, "Read I2CEEP Fail", false},
      {"16: cell that does not program", true, [](auto& f, auto&) { f.stuckBits.push_back({0x2000, 0xFF}); },
       IDS_COMPARE_DATA_FAIL, "Check I2CEEP Fail", true},
      {"16: tag write lost", true, [](auto& f, auto& n) { f.stallTransfer = n(Ext(kExtEep16Write), -1); },
       IDS_WRITE_TAG_FAIL, "Write I2CEEP Tag Fail", true},
      {"16: protection not restored", true, [](auto& f, auto& n) { f.removeAtTransfer = n(Request(kWriteMem, 0xFEA0), -1); },
       IDS_ENABLE_WRITE_PROTECT_FAIL, "Enable Write Protect Fail", false},
      {"16: reset into new code refused", true, [](auto& f, auto&) { f.stallRequest = kResetRom; },
       IDS_RESET_DEVICE_FAIL, "Device ResetToRom Fail", true},
      {"8: lifting protection", false, [](auto& f, auto& n) { f.removeAtTransfer = n(Request(kWriteMem, 0xFEA0), 0); },
       IDS_DISABLE_WRITE_PROTECT_FAIL, "Disable Write Protect Fail", false},
      {"8: erase refused", false, [](auto& f, auto&) { f.stallRequest = kEep8Write; }, IDS_ERASE_EEPROM_FAIL,
       "Erase I2CEEP Fail", true},
      {"8: write refused", false, [](auto& f, auto& n) { f.removeAtTransfer = n(Request(kEep8Write), 12); },
       IDS_UPDATE_EEPROM_FAIL, "Write I2CEEP Fail", false},
      {"8: read back refused", false, [](auto& f, auto& n) { f.removeAtTransfer = n(Request(kEep8Read, 0), 1); },
       IDS_READ_EEPROM_FAIL, "Read I2CEEP Fail", false},
      {"8: cell that does not program", false, [](auto& f, auto&) { f.stuckBits.push_back({0x0700, 0xFF}); },
       IDS_COMPARE_DATA_FAIL, "Check I2CEEP Fail", true},
      {"8: tag write lost", false, [](auto& f, auto& n) { f.stallTransfer = n(Request(kEep8Write), -1); },
       IDS_WRITE_TAG_FAIL, "Write I2CEEP Tag Fail", true},
      {"8: protection not restored", false, [](auto& f, auto& n) { f.removeAtTransfer = n(Request(kWriteMem, 0xFEA0), -1); },
       IDS_ENABLE_WRITE_PROTECT_FAIL, "Enable Write Protect Fail", false},
      {"8: reset into new code refused", false, [](auto& f, auto&) { f.stallRequest = kResetRom; },
       IDS_RESET_DEVICE_FAIL, "Device ResetToRom Fail", true},
  };
  const std::string image8 = MakeImage("e8.rfw", kImage8);
  const std::string image16 = MakeImage("e16.rfw", kImage16);
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string image = c.wide ? image16 : image8;
    std::uint32_t port = 0;
    const auto dry = DryRun(Codec(c.wide), image, &port);
    auto nth = [&](const Match& match, int occurrence) {
      std::uint64_t n = 0, found = 0;
      int seen = 0;
      for (const auto& r : dry) {
        if (r.port != port) continue;
        ++n;
        if (!match(r)) continue;
        if (occurrence < 0 || seen == occurrence) found = n;
        if (seen++ == occurrence) break;
      }
      return found;
    };

    // Past the area the images hold 0xFF; a stuck cell there keeps the 0x00 it held.
    port = Plug(Codec(c.wide), std::vector<std::uint8_t>(c.wide ? 0x10000 : 0x800, 0x00));
    OpenFor(image);
    vcodec::Faults faults;
    c.arm(faults, nth);
    ASSERT_TRUE(bus_->ArmFaults(port, faults));
    int result = -1;
    const std::vector<std::string> trace = CaptureTrace([&] { result = Flow().DEV_Command(kOpWrite, image); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(lastErrorCode.load(), c.textId);
    EXPECT_TRUE(TraceHas(trace, c.logLine));
    if (c.protectionRestored) {
      EXPECT_TRUE(EepromProtected(port));
    }
    Flow().DEV_CloseDevice();
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(EepromFlowTest, EightBitEmptyCheckCatchesAStuckByteBeforeAnythingIsWritten) {
  std::vector<std::uint8_t> old(0x800, 0xFF);
  old[10] = 0x00;
  const std::uint32_t port = Plug(Codec(false), old);
  vcodec::Faults faults;
  faults.stuckBits.push_back({10, 0xFF});
  ASSERT_TRUE(bus_->ArmFaults(port, faults));
  const std::string image = MakeImage("e8.rfw", kImage8);
  OpenFor(image);
  bus_->ClearLog();
  int result = -1;
  const std::vector<std::string> trace = CaptureTrace([&] { result = Flow().DEV_Command(kOpWrite, image); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_CHECK_EMPTY_FAIL);
  EXPECT_TRUE(TraceHas(trace, "Byte 0x0A reads 0x00 after the erase"));
  // Only the erase wrote: 64 bytes of 0xFF.
  for (const EepromCommand& c : Commands(port, false)) {
    if (!c.write) continue;
    EXPECT_LT(c.address, 64u);
    EXPECT_TRUE(std::all_of(c.data.begin(), c.data.end(), [](std::uint8_t b) { return b == 0xFF; }));
  }
  EXPECT_TRUE(EepromProtected(port));
}

TEST_F(EepromFlowTest, SerialNumberThatCannotBeStampedFailsWithItsOwnId) {
  Plug(Codec(true));
  const std::string image = MakeImage("e16.rfw", kImage16);
  OpenFor(image);
  SetConfigInt(kConfigSection, "SaveSN", 1);  // the image has no area at "ConfigAddress"
  int result = -1;
  const std::vector<std::string> trace = CaptureTrace([&] { result = Flow().DEV_Command(kOpWrite, image); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_SAVE_SN_FAIL);
  EXPECT_TRUE(TraceHas(trace, "Save SN Fail"));
}

TEST_F(EepromFlowTest, EraseAndDumpsCoverTheWholeEepromAndNoMore) {
  struct Case {
    bool wide;
    std::uint32_t size;
  };
  for (const Case& c : {Case{false, 0x800}, Case{true, 0x10000}}) {
    SCOPED_TRACE(c.wide ? "16-bit" : "8-bit");
    vcodec::DeviceConfig config = Codec(c.wide);
    // The 8-bit erase leaves the protect line alone: it serves boards whose WP is strapped low.
    config.flashProtected = c.wide;
    const std::uint32_t port = Plug(config, std::vector<std::uint8_t>(c.size, 0x5A));
    const std::vector<std::uint8_t> held = Memory(port, c.size);
    OpenWithoutImage(c.wide);
    g_uMemSize = kInitialMemSize;  // no image has set it
    const std::string bin = dir_.File(c.wide ? "dump/e16.bin" : "dump/e8.bin");
    ASSERT_EQ(Flow().DEV_Command('R', bin), 1);
    EXPECT_EQ(ReadBytes(bin), held);
    // A region asked larger than the part is cut to the part.
    g_uMemSize = 0x80000;
    const std::string hex = dir_.File(c.wide ? "e16.txt" : "e8.txt");
    ASSERT_EQ(Flow().DEV_Command('T', hex), 1);
    EXPECT_EQ(ReadBytes(hex).size(), c.size * 3 + c.size / 16 * 2);

    bus_->ClearLog();
    ASSERT_EQ(Flow().DEV_Command(kOpErase, ""), 1);
    EXPECT_EQ(lastErrorCode.load(), IDS_ERASE_EEPROM_SUCCEED);
    EXPECT_EQ(Memory(port, c.size), std::vector<std::uint8_t>(c.size, 0xFF));
    // Only the 16-bit form lifts the protection around its erase.
    EXPECT_EQ(TouchedProtectRegisters(port), c.wide);
    EXPECT_TRUE(EepromProtected(port));
    Flow().DEV_CloseDevice();
    ASSERT_TRUE(bus_->Remove(port));
  }
}

TEST_F(EepromFlowTest, EightBitEraseOnABoardWithProtectionPulledUpFails) {
  // The 8-bit erase leaves the protect line alone; a part that kept its bytes is no erase.
  vcodec::DeviceConfig config = Codec(false);
  config.flashProtected = true;
  const std::uint32_t port = Plug(config, std::vector<std::uint8_t>(0x800, 0x5A));
  const std::vector<std::uint8_t> held = Memory(port, 0x800);
  OpenWithoutImage(false);
  int result = -1;
  const std::vector<std::string> trace = CaptureTrace([&] { result = Flow().DEV_Command(kOpErase, ""); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(lastErrorCode.load(), IDS_ERASE_EEPROM_FAIL);
  EXPECT_TRUE(TraceHas(trace, "EEPROM not erased (write protected?)"));
  EXPECT_EQ(Memory(port, 0x800), held);
  EXPECT_FALSE(TouchedProtectRegisters(port));
}

TEST_F(EepromFlowTest, SixteenBitEraseIgnoresAFailedRestoreOfTheProtection) {
  std::uint32_t port = Plug(Codec(true), std::vector<std::uint8_t>(0x10000, 0x5A));
  OpenWithoutImage(true);
  bus_->ClearLog();
  ASSERT_EQ(Flow().EraseCodeEx(0), 1);
  std::uint64_t n = 0, restore = 0;
  for (const auto& r : bus_->Log()) {
    if (r.port != port) continue;
    ++n;
    if (r.setup.request == kWriteMem && r.setup.index == 0xFEA0) restore = n;
  }
  Flow().DEV_CloseDevice();
  ASSERT_TRUE(bus_->Remove(port));

  port = Plug(Codec(true), std::vector<std::uint8_t>(0x10000, 0x5A));
  OpenWithoutImage(true);
  vcodec::Faults faults;
  faults.removeAtTransfer = restore;
  ASSERT_TRUE(bus_->ArmFaults(port, faults));
  EXPECT_EQ(Flow().EraseCodeEx(0), 1);
  EXPECT_EQ(lastErrorCode.load(), IDS_ERASE_EEPROM_SUCCEED);
  EXPECT_EQ(Memory(port, 0x10000), std::vector<std::uint8_t>(0x10000, 0xFF));
  Flow().DEV_CloseDevice();
}

TEST_F(EepromFlowTest, StopRequestEndsTheUpdateBeforeAnythingIsWritten) {
  const std::uint32_t port = Plug(Codec(true));
  const std::string image = MakeImage("e16.rfw", kImage16);
  OpenFor(image);
  bus_->ClearLog();
  SetStopRequested(true);
  EXPECT_EQ(Flow().DEV_Command(kOpWrite, image), 0);
  SetStopRequested(false);
  EXPECT_NE(lastErrorCode.load(), 0);
  EXPECT_TRUE(Commands(port, true).empty());
  EXPECT_FALSE(bus_->Info(port)->firmware);
}

}  // namespace
