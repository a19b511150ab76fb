#include "emulator/VendorRequest.h"

#include <cstring>

#include "emulator/VcmdStatus.h"

namespace vcodec {
namespace {

// How a request packs its arguments.
enum class Form : std::uint8_t {
  kNone,      // no data: wValue is an argument
  kCount,     // count only (wValue count bits, wIndex 0)
  kAddress,   // address and count
  kAddressByte,  // address and count, low byte of wValue an option
  kBlock,     // status block: wValue is the block number
  kLegacy,    // wValue argument, wIndex the reset kind
  kByte,      // one byte to the host; wValue is an argument (the reset wait passes its mode)
};

struct VendorEntry {
  std::uint8_t request;
  Op op;
  Dir dir;
  Form form;
};

constexpr VendorEntry kRequests[] = {
    {0x07, Op::kStatus, Dir::kIn, Form::kBlock},
    {0x20, Op::kResetUpdate, Dir::kNone, Form::kNone},
    {0x21, Op::kResetNew, Dir::kNone, Form::kNone},
    {0x22, Op::kResetRom, Dir::kNone, Form::kNone},
    {0x01, Op::kResetRom, Dir::kNone, Form::kLegacy},
    {0x06, Op::kReadByte, Dir::kIn, Form::kByte},
    {0x10, Op::kWrite10, Dir::kNone, Form::kNone},
    {0x23, Op::kReadIMem, Dir::kIn, Form::kAddress},
    {0x25, Op::kReadMem, Dir::kIn, Form::kAddress},
    {0x24, Op::kWriteMem, Dir::kOut, Form::kAddress},
    {0x26, Op::kReadCode, Dir::kIn, Form::kAddress},
    {0x27, Op::kReadPhy, Dir::kIn, Form::kAddress},
    {0x28, Op::kWritePhy, Dir::kOut, Form::kAddress},
    {0x29, Op::kNorErase, Dir::kNone, Form::kNone},
    {0x2B, Op::kNorRead, Dir::kIn, Form::kAddress},
    {0x2A, Op::kNorWrite, Dir::kOut, Form::kAddress},
    {0x2C, Op::kNorTag, Dir::kNone, Form::kNone},
    {0x2D, Op::kSfReadId, Dir::kIn, Form::kCount},
    {0x2E, Op::kSfRead, Dir::kIn, Form::kAddressByte},
    {0x2F, Op::kSfWrite, Dir::kOut, Form::kAddress},
    {0x30, Op::kSfReadSr, Dir::kIn, Form::kCount},
    {0x31, Op::kSfWriteSr, Dir::kOut, Form::kCount},
    {0x32, Op::kSfEraseChip, Dir::kNone, Form::kNone},
    {0x33, Op::kSfEraseSector, Dir::kNone, Form::kAddress},
    {0x34, Op::kSfTag, Dir::kNone, Form::kNone},
    {0x35, Op::kEep8Read, Dir::kIn, Form::kAddress},
    {0x36, Op::kEep8Write, Dir::kOut, Form::kAddress},
    {0x37, Op::kEep16Read, Dir::kIn, Form::kAddress},
    {0x38, Op::kEep16Write, Dir::kOut, Form::kAddress},
    {0x39, Op::kEepRead, Dir::kIn, Form::kAddress},
    {0x3A, Op::kEepWrite, Dir::kOut, Form::kAddressByte},
    {0x50, Op::kI2c, Dir::kIn, Form::kAddress},
    {0x51, Op::kI2c, Dir::kOut, Form::kAddress},
    {0x3D, Op::kI2c, Dir::kIn, Form::kAddress},
    {0x3E, Op::kI2c, Dir::kOut, Form::kAddress},
    {0x59, Op::kI2c, Dir::kIn, Form::kAddress},
    {0x58, Op::kI2c, Dir::kOut, Form::kAddress},
};

TransferResult Stall() { return {kUsbErrorGenFailure, 0}; }

}  // namespace

TransferResult HandleVendorRequest(Chip& chip, const ControlSetup& setup,
                                   std::uint8_t* data) {
  if ((setup.requestType & 0x7F) != 0x40) return Stall();
  const VendorEntry* entry = nullptr;
  for (const VendorEntry& e : kRequests) {
    if (e.request == setup.request) entry = &e;
  }
  if (entry == nullptr) return Stall();
  const bool toHost = (setup.requestType & 0x80) != 0;
  const bool wantsIn = entry->dir == Dir::kIn;
  if (toHost != wantsIn && !(entry->dir == Dir::kNone && !toHost)) return Stall();
  if (entry->dir == Dir::kNone && setup.length != 0) return Stall();

  Command cmd;
  cmd.op = entry->op;
  cmd.dir = entry->dir;
  const std::uint32_t countHigh = (setup.value >> 12) & 0xF;
  const std::uint32_t addressHigh = (setup.value >> 8) & 0xF;
  switch (entry->form) {
    case Form::kNone: cmd.arg = setup.value; break;
    case Form::kLegacy:
      if (setup.index < 7 || setup.index > 9) return Stall();
      cmd.op = setup.index == 7 ? Op::kResetUpdate : Op::kResetRom;
      cmd.arg = setup.value;
      break;
    case Form::kBlock: cmd.address = setup.value; cmd.length = setup.length; break;
    case Form::kByte:
      if (setup.index != 0) return Stall();
      cmd.arg = setup.value;
      cmd.length = setup.length;
      break;
    case Form::kCount:
      if (setup.index != 0 || (setup.value & 0x0FFF) != 0 || countHigh != 0) return Stall();
      cmd.length = setup.length;
      break;
    case Form::kAddress:
    case Form::kAddressByte:
      // Counts above 16 bits cannot travel in one data phase: the chip refuses them.
      if (countHigh != 0) return Stall();
      if (entry->form == Form::kAddress && (setup.value & 0xFF) != 0) return Stall();
      cmd.address = (addressHigh << 16) | setup.index;
      cmd.length = setup.length;
      cmd.arg = setup.value & 0xFF;
      break;
  }
  if (cmd.length > kVendorMaxData) return Stall();
  if (chip.Begin(cmd) != kStsNoErr) return Stall();
  if (cmd.length == 0 || cmd.dir == Dir::kNone) return {kUsbErrorSuccess, 0};
  std::uint8_t status;
  if (cmd.dir == Dir::kIn) {
    std::memset(data, 0, cmd.length);
    status = chip.In(cmd, 0, data, cmd.length);
  } else {
    status = chip.Out(cmd, 0, data, cmd.length);
  }
  if (status != kStsNoErr) return Stall();
  return {kUsbErrorSuccess, cmd.length};
}

}  // namespace vcodec
