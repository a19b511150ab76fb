#include "emulator/ExtUnit.h"

#include <cstring>

#include "emulator/Descriptors.h"
#include "emulator/VcmdStatus.h"

namespace vcodec {
namespace {

constexpr std::uint8_t kSetCur = 0x01;
constexpr std::uint8_t kGetCur = 0x81;
constexpr std::uint8_t kGetLen = 0x85;
constexpr std::uint8_t kCommandControl = 10;
constexpr std::uint8_t kDataControl = 11;

// How P1..P3 map onto a command.
enum class Args : std::uint8_t {
  kNone,        // nothing
  kAddr16,      // address = P1, length = P2
  kAddr32,      // address = P1 | P3 << 16, length = P2
  kAddrMode,    // address = P1, length = P2, arg = P3
  kAddrLenP3,   // address = P1, length = P3
  kArgP1,       // arg = P1
  kArgP2,       // arg = P2
};

struct OpEntry {
  std::uint8_t group;
  std::uint8_t opcode;  // with its direction bits
  Op op;
  Args args;
};

constexpr OpEntry kOps[] = {
    {0x00, 0xCD, Op::kStatus, Args::kAddr16},
    {0x00, 0x07, Op::kResetUpdate, Args::kArgP1},
    {0x00, 0x08, Op::kResetNew, Args::kArgP1},
    {0x00, 0x09, Op::kResetRom, Args::kArgP1},
    {0x00, 0xC1, Op::kReadIMem, Args::kAddr16},
    {0x00, 0xC2, Op::kReadMem, Args::kAddr16},
    {0x00, 0x82, Op::kWriteMem, Args::kAddr16},
    {0x00, 0xC3, Op::kReadCode, Args::kAddr16},
    {0x00, 0xCC, Op::kReadPhy, Args::kAddr16},
    {0x00, 0x8C, Op::kWritePhy, Args::kAddr16},
    {0x00, 0x04, Op::kNorErase, Args::kNone},
    {0x00, 0xC5, Op::kNorRead, Args::kAddr16},
    {0x00, 0x85, Op::kNorWrite, Args::kAddr16},
    {0x00, 0x06, Op::kNorTag, Args::kNone},
    {0x00, 0xEA, Op::kI2c, Args::kAddr16},
    {0x00, 0xAA, Op::kI2c, Args::kAddr16},
    {0x00, 0xCA, Op::kI2c, Args::kAddr32},
    {0x00, 0x8A, Op::kI2c, Args::kAddr32},
    {0x00, 0xF1, Op::kI2c, Args::kAddr16},
    {0x00, 0xB1, Op::kI2c, Args::kAddr16},
    {0x00, 0xF2, Op::kI2c, Args::kAddr16},
    {0x00, 0xB2, Op::kI2c, Args::kAddr16},
    {0x00, 0xF0, Op::kI2c, Args::kAddr16},
    {0x00, 0xB0, Op::kI2c, Args::kAddr16},
    {0x00, 0xD0, Op::kQualify, Args::kAddr16},
    {0x00, 0x16, Op::kChangeUnit, Args::kArgP2},
    {0x02, 0xC1, Op::kSfReadId, Args::kAddr16},
    {0x02, 0xC2, Op::kSfRead, Args::kAddr32},
    {0x02, 0x82, Op::kSfWrite, Args::kAddr32},
    {0x02, 0xC3, Op::kSfReadSr, Args::kAddr16},
    {0x02, 0x83, Op::kSfWriteSr, Args::kAddr16},
    {0x02, 0x04, Op::kSfEraseChip, Args::kNone},
    {0x02, 0x05, Op::kSfEraseSector, Args::kAddr32},
    {0x02, 0x13, Op::kSfTag, Args::kNone},
    {0x02, 0xCB, Op::kEep8Read, Args::kAddr32},
    {0x02, 0x8B, Op::kEep8Write, Args::kAddr32},
    {0x02, 0xD1, Op::kEep16Read, Args::kAddr32},
    {0x02, 0x91, Op::kEep16Write, Args::kAddr32},
    {0x02, 0x97, Op::kOtpWrite, Args::kAddrMode},
    {0x02, 0xD7, Op::kOtpRead, Args::kAddr16},
    {0x02, 0xD8, Op::kOtpBlank, Args::kAddr16},
    {0x02, 0xDF, Op::kOtpAllBlank, Args::kAddrLenP3},
    {0x02, 0xDC, Op::kOtpFailReport, Args::kAddr16},
    {0x02, 0xD9, Op::kOtpTestDec, Args::kAddr16},
    {0x02, 0x9A, Op::kOtpWriteTest, Args::kAddrMode},
};

Dir DirOf(std::uint8_t opcode) {
  switch (opcode >> 6) {
    case 3: return Dir::kIn;
    case 2: return Dir::kOut;
    default: return Dir::kNone;
  }
}

TransferResult Stall() { return {kUsbErrorGenFailure, 0}; }

TransferResult Refuse(DeviceSlot& slot, std::uint8_t status) {
  slot.ext.phase = static_cast<std::uint32_t>(Phase::kError);
  slot.ext.status = status;
  return Stall();
}

TransferResult CommandBlock(DeviceSlot& slot, Chip& chip, const std::uint8_t* block) {
  if (block[0] == 0xFF) {
    // Status clear: whatever state the command engine was in, it is ready again.
    slot.ext.phase = static_cast<std::uint32_t>(Phase::kIdle);
    slot.ext.status = kStsCmd;
    return {kUsbErrorSuccess, 8};
  }
  const auto phase = static_cast<Phase>(slot.ext.phase);
  if (phase == Phase::kError) return Stall();  // refused until the host clears the status
  if (phase == Phase::kDataIn || phase == Phase::kDataOut) return Refuse(slot, kStsNotFinish);
  Command cmd;
  std::uint8_t status = kStsNoErr;
  if (!DecodeCommandBlock(block, &cmd, &status)) return Refuse(slot, status);
  status = chip.Begin(cmd);
  if (status != kStsNoErr) return Refuse(slot, status);
  std::memcpy(slot.ext.block, block, 8);
  slot.ext.total = cmd.length;
  slot.ext.done = 0;
  if (cmd.dir == Dir::kNone || cmd.length == 0) {
    slot.ext.phase = static_cast<std::uint32_t>(Phase::kIdle);
    slot.ext.status = kStsNoErr;
  } else {
    const bool in = cmd.dir == Dir::kIn;
    slot.ext.phase = static_cast<std::uint32_t>(in ? Phase::kDataIn : Phase::kDataOut);
    slot.ext.status = in ? kStsDataIn : kStsDataOut;
  }
  return {kUsbErrorSuccess, 8};
}

TransferResult DataUnit(DeviceSlot& slot, Chip& chip, bool toHost, std::uint8_t* data, std::uint16_t length) {
  const auto phase = static_cast<Phase>(slot.ext.phase);
  if (phase == Phase::kError) return Stall();
  const Phase wanted = toHost ? Phase::kDataIn : Phase::kDataOut;
  if (phase != wanted) return Refuse(slot, kStsErrDir);
  const std::uint32_t remaining = slot.ext.total - slot.ext.done;
  // Every transfer is one unit; only the last may carry exactly the bytes that remain.
  if (length != slot.ext.unit && !(length == remaining && remaining < slot.ext.unit)) {
    return Refuse(slot, kStsErrLen);
  }
  Command cmd;
  std::uint8_t status = kStsNoErr;
  DecodeCommandBlock(slot.ext.block, &cmd, &status);
  const std::uint32_t n = remaining < length ? remaining : length;
  if (toHost) {
    std::memset(data, 0, length);
    status = chip.In(cmd, slot.ext.done, data, n);
  } else {
    status = chip.Out(cmd, slot.ext.done, data, n);
  }
  if (status != kStsNoErr) return Refuse(slot, status);
  slot.ext.done += n;
  if (slot.ext.done == slot.ext.total) {
    slot.ext.phase = static_cast<std::uint32_t>(Phase::kIdle);
    slot.ext.status = kStsNoErr;
  }
  return {kUsbErrorSuccess, length};
}

}  // namespace

bool DecodeCommandBlock(const std::uint8_t block[8], Command* cmd, std::uint8_t* status) {
  const std::uint8_t group = block[0], opcode = block[1];
  const std::uint32_t p1 = block[2] | (block[3] << 8);
  const std::uint32_t p2 = block[4] | (block[5] << 8);
  const std::uint32_t p3 = block[6] | (block[7] << 8);
  if (group != 0x00 && group != 0x02) {
    *status = kStsUnknownCmd;
    return false;
  }
  const OpEntry* found = nullptr;
  bool sameOperation = false;
  for (const OpEntry& e : kOps) {
    if (e.group != group) continue;
    if (e.opcode == opcode) found = &e;
    if ((e.opcode & 0x3F) == (opcode & 0x3F)) sameOperation = true;
  }
  if (found == nullptr) {
    // A known operation asked for a data phase it does not have.
    *status = sameOperation ? kStsErrDir : kStsUnknownScmd;
    return false;
  }
  cmd->op = found->op;
  cmd->dir = DirOf(opcode);
  switch (found->args) {
    case Args::kNone: break;
    case Args::kAddr16: cmd->address = p1; cmd->length = p2; break;
    case Args::kAddr32: cmd->address = p1 | (p3 << 16); cmd->length = p2; break;
    case Args::kAddrMode: cmd->address = p1; cmd->length = p2; cmd->arg = p3; break;
    case Args::kAddrLenP3: cmd->address = p1; cmd->length = p3; break;
    case Args::kArgP1: cmd->arg = p1; break;
    case Args::kArgP2: cmd->arg = p2; break;
  }
  return true;
}

TransferResult HandleExtUnitRequest(DeviceSlot& slot, Chip& chip, const ControlSetup& setup,
                                    std::uint8_t* data) {
  const bool toHost = (setup.requestType & 0x80) != 0;
  if ((setup.requestType & 0x7F) != 0x21) return Stall();
  if (setup.index != ((kExtUnitId << 8) | kAudioControlInterface) || (setup.value & 0xFF) != 0) {
    return Stall();
  }
  const std::uint8_t control = static_cast<std::uint8_t>(setup.value >> 8);
  if (setup.request == kSetCur && !toHost) {
    if (control == kCommandControl) {
      if (setup.length != 8) return Refuse(slot, kStsErrLen);
      return CommandBlock(slot, chip, data);
    }
    if (control == kDataControl) return DataUnit(slot, chip, false, data, setup.length);
  } else if (setup.request == kGetCur && toHost) {
    if (control == kCommandControl) {
      if (setup.length != 8) return Stall();
      std::memset(data, 0, 8);
      data[0] = slot.ext.status;
      return {kUsbErrorSuccess, 8};
    }
    if (control == kDataControl) return DataUnit(slot, chip, true, data, setup.length);
  } else if (setup.request == kGetLen && toHost && control == kDataControl && setup.length == 2) {
    data[0] = static_cast<std::uint8_t>(slot.ext.unit & 0xFF);
    data[1] = static_cast<std::uint8_t>(slot.ext.unit >> 8);
    return {kUsbErrorSuccess, 2};
  }
  return Stall();
}

}  // namespace vcodec
