#include "emulator/Chip.h"

#include <algorithm>
#include <cstring>

#include "emulator/ChipRegisters.h"
#include "emulator/DeviceConfig.h"
#include "emulator/Eeprom.h"
#include "emulator/SpiFlash.h"
#include "emulator/StatusRecord.h"
#include "emulator/VcmdStatus.h"

namespace vcodec {
namespace {

constexpr std::uint32_t kOtpBytes = 0x4000;
constexpr std::uint8_t kBootTag[2] = {0x55, 0xAA};
constexpr std::uint32_t kBootTagAddress = 0xEFFE;

MemoryKind KindOf(const DeviceSlot& slot) { return static_cast<MemoryKind>(slot.config.memory); }

bool InRange(std::uint32_t address, std::uint32_t length, std::uint32_t size) {
  return address <= size && length <= size - address;
}

// Which memory a command works on, and with which addressing.
enum class Target { kNone, kXdata, kPhy, kBoot, kFlash, kEeprom8, kEeprom16, kEepromAny, kOtp };

Target TargetOf(Op op) {
  switch (op) {
    case Op::kReadIMem: case Op::kReadMem: case Op::kWriteMem: return Target::kXdata;
    case Op::kReadPhy: case Op::kWritePhy: return Target::kPhy;
    case Op::kReadCode: return Target::kBoot;
    case Op::kNorErase: case Op::kNorRead: case Op::kNorWrite: case Op::kNorTag:
    case Op::kSfReadId: case Op::kSfRead: case Op::kSfWrite: case Op::kSfReadSr:
    case Op::kSfWriteSr: case Op::kSfEraseChip: case Op::kSfEraseSector: case Op::kSfTag:
      return Target::kFlash;
    case Op::kEep8Read: case Op::kEep8Write: return Target::kEeprom8;
    case Op::kEep16Read: case Op::kEep16Write: return Target::kEeprom16;
    case Op::kEepRead: case Op::kEepWrite: return Target::kEepromAny;
    case Op::kOtpWrite: case Op::kOtpRead: case Op::kOtpBlank: case Op::kOtpAllBlank:
    case Op::kOtpFailReport: case Op::kOtpTestDec: case Op::kOtpWriteTest:
      return Target::kOtp;
    default: return Target::kNone;
  }
}

// Data-phase length a fixed-size command must announce (0: any).
std::uint32_t FixedLength(Op op) {
  switch (op) {
    case Op::kStatus: case Op::kSfReadId: case Op::kQualify: return 8;
    case Op::kSfReadSr: case Op::kSfWriteSr: case Op::kReadByte: return 1;
    case Op::kOtpFailReport: return 19;
    default: return 0;
  }
}

}  // namespace

std::uint8_t Chip::CheckMemory(const Command& cmd) const {
  const MemoryKind kind = KindOf(slot_);
  const std::uint32_t size = slot_.config.memorySize;
  switch (TargetOf(cmd.op)) {
    case Target::kNone: return kStsNoErr;
    case Target::kXdata: return InRange(cmd.address, cmd.length, kXdataBytes) ? kStsNoErr : kStsErrOutRange;
    case Target::kPhy: return InRange(cmd.address, cmd.length, kPhyBytes) ? kStsNoErr : kStsErrOutRange;
    case Target::kBoot: return InRange(cmd.address, cmd.length, size) ? kStsNoErr : kStsErrOutRange;
    case Target::kFlash:
      // No flash on the SPI bus: the chip's flash controller times out.
      if (kind != MemoryKind::kFlash) return kStsHwErr;
      break;
    case Target::kEeprom8:
      if (kind != MemoryKind::kEeprom8) return kStsHwErr;  // no device answers that addressing
      break;
    case Target::kEeprom16:
      if (kind != MemoryKind::kEeprom16) return kStsHwErr;
      break;
    case Target::kEepromAny:
      if (kind != MemoryKind::kEeprom8 && kind != MemoryKind::kEeprom16) return kStsHwErr;
      break;
    case Target::kOtp:
      if (kind != MemoryKind::kOtp) return kStsHwErr;
      if (cmd.op == Op::kOtpAllBlank || cmd.op == Op::kOtpFailReport) return kStsNoErr;
      return InRange(cmd.address, cmd.length, kOtpBytes) ? kStsNoErr : kStsErrOutRange;
  }
  switch (cmd.op) {
    case Op::kSfEraseSector: return cmd.address < size ? kStsNoErr : kStsErrOutRange;
    case Op::kNorTag: case Op::kSfTag: return size >= kBootTagAddress + 2 ? kStsNoErr : kStsErrOutRange;
    case Op::kSfReadId: case Op::kSfReadSr: case Op::kSfWriteSr: case Op::kSfEraseChip:
    case Op::kNorErase:
      return kStsNoErr;
    default: return InRange(cmd.address, cmd.length, size) ? kStsNoErr : kStsErrOutRange;
  }
}

std::uint8_t Chip::Begin(const Command& cmd) {
  const std::uint32_t fixed = FixedLength(cmd.op);
  if (fixed != 0 && cmd.length != fixed) return kStsErrLen;
  if (cmd.op == Op::kStatus && cmd.address >= kStatusBlocks) return kStsErrOutRange;
  const std::uint8_t memory = CheckMemory(cmd);
  if (memory != kStsNoErr) return memory;
  SpiFlash flash(slot_, nowMs_);
  ChipRegisters regs(slot_);
  switch (cmd.op) {
    case Op::kResetUpdate: reset_ = ResetRequest::kToRomCode; return kStsNoErr;
    case Op::kResetNew: case Op::kResetRom: reset_ = ResetRequest::kBoot; return kStsNoErr;
    case Op::kNorErase: case Op::kSfEraseChip: return flash.EraseChip() ? kStsNoErr : kStsHwErr;
    case Op::kSfEraseSector: return flash.EraseSector(cmd.address) ? kStsNoErr : kStsHwErr;
    case Op::kNorTag: case Op::kSfTag:
      return flash.Program(kBootTagAddress, kBootTag, 2, true) ? kStsNoErr : kStsHwErr;
    case Op::kNorWrite: case Op::kSfWrite: return flash.Protected() ? kStsHwErr : kStsNoErr;
    case Op::kI2c: return kStsHwErr;  // nothing else sits on the I2C bus to acknowledge
    case Op::kOtpWrite: case Op::kOtpWriteTest:
      if (regs.OtpLocked()) return kStsHwErr;
      std::memset(slot_.otpReport, 0, sizeof slot_.otpReport);
      return kStsNoErr;
    case Op::kChangeUnit: {
      // The chip takes the largest size it supports that does not exceed the request.
      std::uint32_t unit = 8;
      for (std::uint32_t s : {32u, 64u}) {
        if (s <= cmd.arg && s <= slot_.config.maxUnit) unit = s;
      }
      slot_.ext.unit = unit;
      return kStsNoErr;
    }
    default: return kStsNoErr;
  }
}

std::uint8_t Chip::StatusByte(std::uint32_t block, std::uint32_t index) const {
  std::uint8_t b[8];
  ReadStatusBlock(slot_, block, b);
  return b[index % 8];
}

std::uint8_t Chip::In(const Command& cmd, std::uint32_t offset, std::uint8_t* out, std::uint32_t n) {
  const std::uint32_t a = cmd.address + offset;
  ChipRegisters regs(slot_);
  SpiFlash flash(slot_, nowMs_);
  switch (cmd.op) {
    case Op::kStatus:
      for (std::uint32_t i = 0; i < n; ++i) out[i] = StatusByte(cmd.address, offset + i);
      return kStsNoErr;
    case Op::kReadIMem: case Op::kReadMem:
      for (std::uint32_t i = 0; i < n; ++i) out[i] = regs.Read(static_cast<std::uint16_t>(a + i));
      return kStsNoErr;
    case Op::kReadPhy: std::memcpy(out, slot_.phy + a, n); return kStsNoErr;
    case Op::kReadCode: case Op::kNorRead: case Op::kSfRead: case Op::kEep8Read:
    case Op::kEep16Read: case Op::kEepRead: case Op::kOtpRead: case Op::kOtpTestDec:
      std::memcpy(out, slot_.memory + a, n);
      return kStsNoErr;
    case Op::kSfReadId: {
      std::uint8_t id[8];
      flash.ReadId(id);
      std::memcpy(out, id + offset, n);
      return kStsNoErr;
    }
    case Op::kSfReadSr: out[0] = flash.ReadStatus(); return kStsNoErr;
    case Op::kOtpBlank:
      // One result byte per cell: 0 while the cell is blank.
      for (std::uint32_t i = 0; i < n; ++i) out[i] = slot_.memory[a + i] == 0 ? 0 : 1;
      return kStsNoErr;
    case Op::kOtpAllBlank: {
      const std::uint32_t end = std::min<std::uint32_t>(cmd.address + cmd.length, kOtpBytes);
      bool blank = true;
      for (std::uint32_t i = cmd.address; i < end; ++i) blank = blank && slot_.memory[i] == 0;
      for (std::uint32_t i = 0; i < n; ++i) out[i] = (offset + i == 0 && blank) ? 1 : 0;
      return kStsNoErr;
    }
    case Op::kOtpFailReport: std::memcpy(out, slot_.otpReport + offset, n); return kStsNoErr;
    case Op::kQualify: {
      static constexpr char kSig[8] = {'N', 'O', 'V', 'I', 'K', 'E', 'N', 0};
      std::memcpy(out, kSig + offset, n);
      return kStsNoErr;
    }
    case Op::kReadByte: out[0] = static_cast<std::uint8_t>(slot_.runState); return kStsNoErr;
    default: return kStsErrDir;
  }
}

std::uint8_t Chip::Out(const Command& cmd, std::uint32_t offset, const std::uint8_t* in, std::uint32_t n) {
  const std::uint32_t a = cmd.address + offset;
  ChipRegisters regs(slot_);
  SpiFlash flash(slot_, nowMs_);
  switch (cmd.op) {
    case Op::kWriteMem:
      for (std::uint32_t i = 0; i < n; ++i) regs.Write(static_cast<std::uint16_t>(a + i), in[i]);
      return kStsNoErr;
    case Op::kWritePhy: std::memcpy(slot_.phy + a, in, n); return kStsNoErr;
    case Op::kNorWrite: case Op::kSfWrite:
      return flash.Program(a, in, n, offset == 0) ? kStsNoErr : kStsHwErr;
    case Op::kSfWriteSr: flash.WriteStatus(in[0], regs.FlashWpAsserted()); return kStsNoErr;
    case Op::kEep8Write: case Op::kEep16Write: case Op::kEepWrite:
      Eeprom(slot_).Program(a, in, n, offset == 0);
      return kStsNoErr;
    case Op::kOtpWrite: case Op::kOtpWriteTest:
      for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t cell = a + i;
        const std::uint8_t wanted = static_cast<std::uint8_t>(slot_.memory[cell] | in[i]);
        if (wanted == slot_.memory[cell]) continue;
        bool fails = false;
        for (std::uint32_t f = 0; f < slot_.faults.otpFailCount && f < kMaxOtpFailAddresses; ++f) {
          fails = fails || slot_.faults.otpFail[f] == cell;
        }
        if (!fails) {
          slot_.memory[cell] = wanted;  // programming only ever sets bits
          continue;
        }
        // Report: count, then up to nine big-endian addresses.
        const std::uint8_t count = slot_.otpReport[0];
        if (count < 9) {
          const std::uint32_t named = count == 0 && slot_.faults.otpReportAddress != 0 ? slot_.faults.otpReportAddress - 1 : cell;
          slot_.otpReport[1 + 2 * count] = static_cast<std::uint8_t>(named >> 8);
          slot_.otpReport[2 + 2 * count] = static_cast<std::uint8_t>(named & 0xFF);
        }
        if (count < 0xFF) slot_.otpReport[0] = static_cast<std::uint8_t>(count + 1);
      }
      if (offset == 0 || a % kPageBytes == 0) {
        slot_.counters.pagesProgrammed++;
        slot_.counters.busUs += slot_.config.pageProgramUs;
      }
      return kStsNoErr;
    case Op::kWrite10: return kStsNoErr;
    default: return kStsErrDir;
  }
}

}  // namespace vcodec
