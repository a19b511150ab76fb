#include "device/ExtUnitBase.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/Trace.h"
#include "device/CommandLock.h"
#include "device/SyncOperate.h"

namespace {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;

// Data phases count in 16 bits: longer requests go out as 0x8000-byte commands.
constexpr u32 kSplitAt = 0x10000;
constexpr u32 kSplitPiece = 0x8000;
constexpr u32 kLongPiece = 64;

template <class Piece>
u32 SplitLong(u32 address, u32 length, Piece piece) {
  u32 offset = 0;
  while (length - offset >= kSplitAt) {
    if (const u32 r = piece(address + offset, kSplitPiece, offset); r != 0) return r;
    offset += kSplitPiece;
  }
  return piece(address + offset, length - offset, offset);
}

// The tag formats are the literals of this file, each taking one unsigned value.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string FormatTag(const char* format, u32 value) {
  char tag[128];
  std::snprintf(tag, sizeof tag, format, value);
  return tag;
}
#pragma GCC diagnostic pop

CommandBlock WithP(CommandBlock b, u16 p1, u16 p2, u16 p3) {
  PutP1(b, p1);
  PutP2(b, p2);
  PutP3(b, p3);
  return b;
}

}  // namespace

// The lock guard of every command: run only when the lock is held.
#define EXT_UNIT_LOCKED(name)                    \
  CSyncOperate sync(lock_, "CExtUnitBase::" name); \
  if (!sync.Held()) return kResultLockNotTaken

CExtUnitBase::CExtUnitBase() : lock_(CommandLockName()) {}

CExtUnitBase::~CExtUnitBase() = default;

// ---- phases ----

// Whole units go straight from/to the caller's buffer; the last partial unit goes through the
// cleared unit buffer, so the device always moves full units: zero padding on the way out, the
// surplus dropped on the way in.
template <class Transfer>
u32 CExtUnitBase::Chunked(u8* buffer, u16 length, u32* bytesDone, Cb cb, u32 ctx, bool in, Transfer transfer) {
  const u32 n = dataControlSize_;
  const u32 whole = length / n;
  const u32 rest = length % n;
  for (u32 i = 0; i < whole + (rest != 0 ? 1 : 0); ++i) {
    const bool partial = i == whole;
    u8* unit = buffer + i * n;
    if (partial) {
      std::memset(unitBuffer_.data(), 0, n);
      if (!in) std::memcpy(unitBuffer_.data(), unit, rest);
      unit = unitBuffer_.data();
    }
    if (const u32 r = transfer(unit); r != 0) {
      if (bytesDone != nullptr) *bytesDone = i * n;
      return r;
    }
    if (partial && in) std::memcpy(buffer + i * n, unitBuffer_.data(), rest);
    if (cb != nullptr) cb(ctx, partial ? rest : n);
  }
  return 0;
}

u32 CExtUnitBase::GetDataChunked(u8* buffer, u16 length, u32* bytesDone, Cb cb, u32 ctx) {
  return Chunked(buffer, length, bytesDone, cb, ctx, true, [this](u8* unit) { return GetData(unit); });
}

u32 CExtUnitBase::SetDataChunked(const u8* buffer, u16 length, u32* bytesDone, Cb cb, u32 ctx) {
  return Chunked(const_cast<u8*>(buffer), length, bytesDone, cb, ctx, false,
                 [this](u8* unit) { return SetData(unit); });
}

void CExtUnitBase::ReportError(const char* tag, u32 result) {
  TraceScope scope("CExtUnitBase::ReportError", 0);
  std::string line = tag;
  lastVcmdStatus_ = 0xFF;
  if (result == kResultDeviceNotConnected) {
    line += "Device not connected";
  } else {
    u8 status[8] = {};
    char text[160];
    const u32 r = GetCmdStatus(status);
    if (r == 0) {
      std::snprintf(text, sizeof text, " error %x, %s", result, VcmdStatusName(status[0]));
      lastVcmdStatus_ = status[0];
    } else {
      std::snprintf(text, sizeof text, " error %x, and fail to get err_code %x", result, r);
    }
    line += text;
    (void)SetCmd(tpl::kStatusClear);
  }
  TraceWrite(scope, "%s\n", line.c_str());
}

u32 CExtUnitBase::SetCmdReported(const CommandBlock& block, const char* tag) {
  const u32 r = SetCmd(block);
  if (r != 0) ReportError(tag, r);
  return r;
}

u32 CExtUnitBase::Framed(const CommandBlock& block, Tags tags, u32 tagBase, Dir dir, u8* buffer,
                         u16 length, Cb cb, u32 ctx) {
  if (const u32 r = SetCmdReported(block, tags.setCmd); r != 0) return r;
  u32 done = 0;
  const u32 r = dir == Dir::kIn ? GetDataChunked(buffer, length, &done, cb, ctx)
                                : SetDataChunked(buffer, length, &done, cb, ctx);
  if (r != 0) ReportError(FormatTag(tags.data, tagBase + done).c_str(), r);
  return r;
}

u32 CExtUnitBase::AddressCommand(CommandBlock block, bool highWord, Tags tags, Dir dir, u32 address,
                                 u32 length, u8* buffer, Cb cb, u32 ctx) {
  if (length == 0) return 0;
  PutP1(block, static_cast<u16>(address));
  PutP2(block, static_cast<u16>(length));
  if (highWord) PutP3(block, static_cast<u16>(address >> 16));
  return Framed(block, tags, address, dir, buffer, static_cast<u16>(length), cb, ctx);
}

u32 CExtUnitBase::SingleUnitIn(const CommandBlock& block, Tags tags) {
  if (const u32 r = SetCmdReported(block, tags.setCmd); r != 0) return r;
  std::memset(unitBuffer_.data(), 0, dataControlSize_);
  const u32 r = GetData(unitBuffer_.data());
  if (r != 0) ReportError(tags.data, r);
  return r;
}

// ---- status, qualification, resets ----

u32 CExtUnitBase::GetDevStatus(u32 firstBlock, u8* buffer, s32 length) {
  if (length < 0) return kResultInvalidArg;
  EXT_UNIT_LOCKED("GetDevStatus");
  const Tags tags{"GetDevStatus SetCmd", "GetDevStatus GetData"};
  const u32 whole = static_cast<u32>(length) / 8;
  const u32 rest = static_cast<u32>(length) % 8;
  for (u32 i = 0; i < whole + (rest != 0 ? 1 : 0); ++i) {
    if (const u32 r = SingleUnitIn(WithP(tpl::kGetDevStatus, static_cast<u16>(firstBlock + i), 8, 0), tags);
        r != 0) {
      return r;
    }
    std::memcpy(buffer + 8 * i, unitBuffer_.data(), i < whole ? 8 : rest);
  }
  return 0;
}

bool CExtUnitBase::DevQualify() {
  CSyncOperate sync(lock_, "CExtUnitBase::DevQualify");
  if (!sync.Held()) return false;
  if (SingleUnitIn(tpl::kDevQualify, {"DevQualify SetCmd", "DevQualify GetData"}) != 0) return false;
  if (std::memcmp(unitBuffer_.data(), kDeviceSignature.data(), kDeviceSignature.size()) == 0) return true;
  TraceScope scope("CExtUnitBase::DevQualify", 0);
  TraceWrite(scope, "Not noviken device\n");
  return false;
}

u32 CExtUnitBase::ResetToUpdateFW(u16 argument) {
  EXT_UNIT_LOCKED("ResetToUpdateFW");
  return SetCmdReported(WithP(tpl::kResetToUpdateFW, argument, 0, 0), "ResetToUpdateFW SetCmd");
}

u32 CExtUnitBase::ResetToNewCode(u16 argument) {
  EXT_UNIT_LOCKED("ResetToNewCode");
  return SetCmdReported(WithP(tpl::kResetToNewCode, argument, 0, 0), "ResetToNewCode SetCmd");
}

u32 CExtUnitBase::ResetToRom() {
  EXT_UNIT_LOCKED("ResetToRom");
  return SetCmdReported(tpl::kResetToRom, "ResetToRom SetCmd");
}

// ---- internal memory ----

#define EXT_UNIT_ADDRESS_COMMAND(Method, name, tmpl, high, dir, setTag, dataTag, Ptr)                  \
  u32 CExtUnitBase::Method(u32 address, u32 length, Ptr buffer, Cb cb, u32 ctx) {                    \
    EXT_UNIT_LOCKED(name);                                                                            \
    if (length >= kSplitAt) {                                                                         \
      return SplitLong(address, length,                                                               \
                       [&](u32 a, u32 n, u32 off) { return Method(a, n, buffer + off, cb, ctx); });   \
    }                                                                                                 \
    return AddressCommand(tmpl, high, {setTag, dataTag}, dir, address, length, const_cast<u8*>(buffer), \
                          cb, ctx);                                                                   \
  }

EXT_UNIT_ADDRESS_COMMAND(ReadIMem, "ReadIMem", tpl::kReadIMem, false, Dir::kIn, "ReadIMem SetCmd",
                         "ReadIMem GetData 0x%X", u8*)
EXT_UNIT_ADDRESS_COMMAND(ReadMem, "ReadMem", tpl::kReadMem, false, Dir::kIn, "ReadMem SetCmd",
                         "ReadMem GetData 0x%X", u8*)
EXT_UNIT_ADDRESS_COMMAND(WriteMem, "WriteMem", tpl::kWriteMem, false, Dir::kOut, "WriteMem SetCmd",
                         "WriteMem SetData 0x%X", const u8*)
EXT_UNIT_ADDRESS_COMMAND(ReadCode, "ReadCode", tpl::kReadCode, false, Dir::kIn, "ReadCode SetCmd",
                         "ReadCode GetData 0x%X", u8*)
EXT_UNIT_ADDRESS_COMMAND(NorFlash_Read, "NorFlash_Read", tpl::kNorFlashRead, false, Dir::kIn,
                         "NorFlash_Read SetCmd", "NorFlash_Read GetData 0x%X", u8*)
EXT_UNIT_ADDRESS_COMMAND(NorFlash_Write, "NorFlash_Write", tpl::kNorFlashWrite, false, Dir::kOut,
                         "WriteFlash SetCmd", "WriteFlash SetData 0x%X", const u8*)
EXT_UNIT_ADDRESS_COMMAND(SPI_SF_Write, "SPI_SF_Write", tpl::kSfWrite, true, Dir::kOut, "SPI_SF_Write SetCmd",
                         "SPI_SF_Write SetData 0x%X", const u8*)
EXT_UNIT_ADDRESS_COMMAND(I2C_EEP8_Read, "I2C_EEP8_Read", tpl::kEep8Read, true, Dir::kIn,
                         "I2C_EEP8_Read SetCmd", "I2C_EEP8_Read GetData 0x%X", u8*)
EXT_UNIT_ADDRESS_COMMAND(I2C_EEP8_Write, "I2C_EEP8_Write", tpl::kEep8Write, true, Dir::kOut,
                         "I2C_EEP8_Write SetCmd", "I2C_EEP8_Write SetData 0x%X", const u8*)
EXT_UNIT_ADDRESS_COMMAND(I2C_EEP16_Read, "I2C_EEP16_Read", tpl::kEep16Read, true, Dir::kIn,
                         "I2C_EEP16_Read SetCmd", "I2C_EEP16_Read GetData 0x%X", u8*)
EXT_UNIT_ADDRESS_COMMAND(I2C_EEP16_Write, "I2C_EEP16_Write", tpl::kEep16Write, true, Dir::kOut,
                         "I2C_EEP16_Write SetCmd", "I2C_EEP16_Write SetData 0x%X", const u8*)

#undef EXT_UNIT_ADDRESS_COMMAND

// The option word only matters to the vendor-request set.
u32 CExtUnitBase::SPI_SF_Read(u32 address, u32 length, u8* buffer, u32 option, Cb cb, u32 ctx) {
  EXT_UNIT_LOCKED("SPI_SF_Read");
  if (length >= kSplitAt) {
    return SplitLong(address, length,
                     [&](u32 a, u32 n, u32 off) { return SPI_SF_Read(a, n, buffer + off, option, cb, ctx); });
  }
  return AddressCommand(tpl::kSfRead, true, {"SPI_SF_Read SetCmd", "SPI_SF_Read GetData 0x%X"}, Dir::kIn,
                        address, length, buffer, cb, ctx);
}

u32 CExtUnitBase::ReadPhy(u32 address, u32 length, u8* buffer) {
  EXT_UNIT_LOCKED("ReadPhy");
  if (length >= kSplitAt) {
    return SplitLong(address, length, [&](u32 a, u32 n, u32 off) { return ReadPhy(a, n, buffer + off); });
  }
  for (u32 i = 0; i < length; ++i) {
    CommandBlock b = tpl::kReadPhy;
    PutP1(b, static_cast<u16>(address + i));
    if (const u32 r = SetCmdReported(b, "ReadPhy SetCmd"); r != 0) return r;
    std::memset(unitBuffer_.data(), 0, dataControlSize_);
    if (const u32 r = GetData(unitBuffer_.data()); r != 0) {
      ReportError(FormatTag("ReadPhy GetData 0x%X", address + i).c_str(), r);
      return r;
    }
    buffer[i] = unitBuffer_[0];
  }
  return 0;
}

u32 CExtUnitBase::WritePhy(u32 address, u32 length, const u8* buffer) {
  EXT_UNIT_LOCKED("WritePhy");
  if (length >= kSplitAt) {
    return SplitLong(address, length, [&](u32 a, u32 n, u32 off) { return WritePhy(a, n, buffer + off); });
  }
  for (u32 i = 0; i < length; ++i) {
    CommandBlock b = tpl::kWritePhy;
    PutP1(b, static_cast<u16>(address + i));
    if (const u32 r = SetCmdReported(b, "WritePhy SetCmd"); r != 0) return r;
    std::memset(unitBuffer_.data(), 0, dataControlSize_);
    unitBuffer_[0] = buffer[i];
    if (const u32 r = SetData(unitBuffer_.data()); r != 0) {
      ReportError(FormatTag("WritePhy SetData 0x%X", address + i).c_str(), r);
      return r;
    }
  }
  return 0;
}

// ---- NOR flash and serial flash ----

u32 CExtUnitBase::NorFlash_Erase() {
  EXT_UNIT_LOCKED("NorFlash_Erase");
  return SetCmdReported(tpl::kNorFlashErase, "EraseFlash SetCmd");
}

u32 CExtUnitBase::NorFlash_WriteTag() {
  EXT_UNIT_LOCKED("NorFlash_WriteTag");
  return SetCmdReported(tpl::kNorFlashWriteTag, "NorFlash_WriteTag SetCmd");
}

u32 CExtUnitBase::SPI_SF_ReadID(u8* id) {
  EXT_UNIT_LOCKED("SPI_SF_ReadID");
  const u32 r = SingleUnitIn(tpl::kSfReadId, {"SPI_SF_ReadID SetCmd failed", "SPI_SF_ReadID GetData"});
  if (r == 0) std::memcpy(id, unitBuffer_.data(), 8);
  return r;
}

u32 CExtUnitBase::SPI_SF_ReadSr(u8* status) {
  EXT_UNIT_LOCKED("SPI_SF_ReadSr");
  const u32 r = SingleUnitIn(tpl::kSfReadSr, {"SPI_SF_ReadSr SetCmd", "SPI_SF_ReadSr GetData"});
  if (r == 0) *status = unitBuffer_[0];
  return r;
}

u32 CExtUnitBase::SPI_SF_WriteSr(u8 status) {
  EXT_UNIT_LOCKED("SPI_SF_WriteSr");
  if (const u32 r = SetCmdReported(tpl::kSfWriteSr, "SPI_SF_WriteSr SetCmd"); r != 0) return r;
  std::memset(unitBuffer_.data(), 0, dataControlSize_);
  unitBuffer_[0] = status;
  const u32 r = SetData(unitBuffer_.data());
  if (r != 0) ReportError("SPI_SF_WriteSr SetData", r);
  return r;
}

// The time-out only matters to the vendor-request set.
u32 CExtUnitBase::SPI_SF_EraseChip(u32) {
  EXT_UNIT_LOCKED("SPI_SF_EraseChip");
  return SetCmdReported(tpl::kSfEraseChip, "SPI_SF_EraseChip SetCmd");
}

u32 CExtUnitBase::SPI_SF_EraseSector(u32 address, u32 sectorSize) {
  if (sectorSize == 0 || address % sectorSize != 0) return kResultInvalidArg;
  EXT_UNIT_LOCKED("SPI_SF_EraseSector");
  return SetCmdReported(WithP(tpl::kSfEraseSector, static_cast<u16>(address), 0, static_cast<u16>(address >> 16)),
                        "SPI_SF_EraseSector SetCmd");
}

u32 CExtUnitBase::SPI_SF_WriteTag() {
  EXT_UNIT_LOCKED("SPI_SF_WriteTag");
  return SetCmdReported(tpl::kSfWriteTag, "SPI_SF_WriteTag SetCmd");
}

// ---- I2C EEPROM ----

u32 CExtUnitBase::EepromErase(const CommandBlock& writeTemplate, const char* scope, Tags tags, u32 size) {
  CSyncOperate sync(lock_, scope);
  if (!sync.Held()) return kResultLockNotTaken;
  const std::vector<u8> fill(size, 0xFF);
  u32 offset = 0;
  for (;;) {
    const u32 rest = size - offset;
    const u32 piece = rest >= kSplitAt ? kSplitPiece : rest;
    const CommandBlock b = WithP(writeTemplate, static_cast<u16>(offset), static_cast<u16>(piece), 0);
    if (const u32 r = Framed(b, tags, offset, Dir::kOut, const_cast<u8*>(fill.data() + offset),
                             static_cast<u16>(piece));
        r != 0) {
      return r;
    }
    offset += piece;
    if (piece == rest) return 0;
  }
}

u32 CExtUnitBase::I2C_EEP8_Erase(u32 size) {
  return EepromErase(tpl::kEep8Write, "CExtUnitBase::I2C_EEP8_Erase",
                     {"I2C_EEP8_Write SetCmd", "I2C_EEP8_Write SetData 0x%X"}, size);
}

u32 CExtUnitBase::I2C_EEP16_Erase(u32 size) {
  return EepromErase(tpl::kEep16Write, "CExtUnitBase::I2C_EEP16_Erase",
                     {"I2C_EEP16_Write SetCmd", "I2C_EEP16_Write SetData 0x%X"}, size);
}

// A programmed EEPROM carries 0xA5 at address 1.
u32 CExtUnitBase::I2C_EEP8_WriteTag() {
  const u8 tag = 0xA5;
  return I2C_EEP8_Write(1, 1, &tag, nullptr, 0);
}

u32 CExtUnitBase::I2C_EEP16_WriteTag() {
  const u8 tag = 0xA5;
  return I2C_EEP16_Write(1, 1, &tag, nullptr, 0);
}

// ---- I2C bus ----

// Slave-addressed transfers go through a 64-byte staging area and one data unit: a longer
// request would overrun the one or pass unread bytes of the other.
u32 CExtUnitBase::SlaveRead(const CommandBlock& tmpl, const char* scope, Tags tags, u8 slave, u16 length,
                            u8* buffer) {
  if (length > kStagingSize || length > dataControlSize_) return kResultInvalidArg;
  CSyncOperate sync(lock_, scope);
  if (!sync.Held()) return kResultLockNotTaken;
  if (const u32 r = SetCmdReported(WithP(tmpl, slave, length, 0), tags.setCmd); r != 0) return r;
  u8 staging[kStagingSize] = {};
  const u32 r = GetData(staging);
  if (r != 0) {
    ReportError(FormatTag(tags.data, slave).c_str(), r);
    return r;
  }
  std::memcpy(buffer, staging, length);
  return 0;
}

u32 CExtUnitBase::SlaveWrite(const CommandBlock& tmpl, const char* scope, Tags tags, u8 slave, u16 length,
                             const u8* buffer) {
  if (length > kStagingSize || length > dataControlSize_) return kResultInvalidArg;
  CSyncOperate sync(lock_, scope);
  if (!sync.Held()) return kResultLockNotTaken;
  if (const u32 r = SetCmdReported(WithP(tmpl, slave, length, 0), tags.setCmd); r != 0) return r;
  u8 staging[kStagingSize] = {};
  std::memcpy(staging, buffer, length);
  const u32 r = SetData(staging);
  if (r != 0) ReportError(FormatTag(tags.data, slave).c_str(), r);
  return r;
}

u32 CExtUnitBase::I2CRead(u8 slave, u16 length, u8* buffer) {
  return SlaveRead(tpl::kI2CRead, "CExtUnitBase::I2CRead", {"I2CRead SetCmd", "I2CRead GetData SlaveAddr=0x%02X"},
                   slave, length, buffer);
}

u32 CExtUnitBase::I2CWrite(u8 slave, u16 length, const u8* buffer) {
  return SlaveWrite(tpl::kI2CWrite, "CExtUnitBase::I2CWrite",
                    {"I2CWrite SetCmd", "I2CWrite SetData SlaveAddr=0x%02X"}, slave, length, buffer);
}

u32 CExtUnitBase::I2CRandomRead(u8 slave, u16 length, u8* buffer) {
  return SlaveRead(tpl::kI2CRandomRead, "CExtUnitBase::I2CRandomRead",
                   {"I2CRandomRead SetCmd", "I2CRandomRead GetData SlaveAddr=0x%02X"}, slave, length, buffer);
}

u32 CExtUnitBase::I2CRandomWrite(u8 slave, u16 length, const u8* buffer) {
  return SlaveWrite(tpl::kI2CRandomWrite, "CExtUnitBase::I2CRandomWrite",
                    {"I2CRandomWrite", "I2CRandomWrite SetData SlaveAddr=0x%02X"}, slave, length, buffer);
}

u32 CExtUnitBase::I2CRead(u8 width, u32 address, u16* value) {
  EXT_UNIT_LOCKED("I2CRead");
  u8 b[2] = {};
  const CommandBlock block =
      WithP(tpl::kI2CReadReg, static_cast<u16>(address), 2, static_cast<u16>(address >> 16));
  const u32 r = Framed(block, {"I2CRead SetCmd", "I2CRead GetData 0x%X"}, address, Dir::kIn, b, 2);
  if (r == 0) *value = width == 1 ? b[0] : static_cast<u16>(b[0] | b[1] << 8);
  return r;
}

u32 CExtUnitBase::I2CWrite(u8 width, u32 address, u16 value) {
  EXT_UNIT_LOCKED("I2CWrite");
  u8 b[2] = {static_cast<u8>(value), static_cast<u8>(width == 1 ? 0 : value >> 8)};
  const CommandBlock block =
      WithP(tpl::kI2CWriteReg, static_cast<u16>(address), 2, static_cast<u16>(address >> 16));
  return Framed(block, {"I2CWrite SetCmd", "I2CWrite SetData 0x%X"}, address, Dir::kOut, b, 2);
}

u32 CExtUnitBase::I2CGenRead(u8 slave, u16 length, u8* buffer) {
  EXT_UNIT_LOCKED("I2CGenRead");
  return Framed(WithP(tpl::kI2CRead, slave, length, 0), {"I2CGenRead SetCmd", "I2CGenRead GetData Addr=0x%02X"}, 0,
                Dir::kIn, buffer, length);
}

u32 CExtUnitBase::I2CGenWrite(u8 slave, u16 length, const u8* buffer) {
  EXT_UNIT_LOCKED("I2CGenWrite");
  return Framed(WithP(tpl::kI2CWrite, slave, length, 0), {"I2CGenWrite", "I2CGenWrite SetData Addr=0x%02X"}, 0,
                Dir::kOut, const_cast<u8*>(buffer), length);
}

u32 CExtUnitBase::I2CSuperRead(u8 slave, u16 length, u8* buffer) {
  EXT_UNIT_LOCKED("I2CSuperRead");
  return Framed(WithP(tpl::kI2CSuperRead, slave, length, 0),
                {"I2CSuperRead SetCmd", "I2CSuperRead GetData SlaveAddr=0x%02X"}, slave, Dir::kIn, buffer, length);
}

u32 CExtUnitBase::I2CSuperWrite(u8 slave, u16 length, const u8* buffer) {
  EXT_UNIT_LOCKED("I2CSuperWrite");
  return Framed(WithP(tpl::kI2CSuperWrite, slave, length, 0),
                {"I2CSuperWrite", "I2CSuperWrite SetData SlaveAddr=0x%02X"}, slave, Dir::kOut,
                const_cast<u8*>(buffer), length);
}

u32 CExtUnitBase::I2CLongRead(u16 device, u16 address, u32 length, u8* buffer, u32 x, u32 y) {
  EXT_UNIT_LOCKED("I2CLongRead");
  if (length > kLongPiece) {
    u32 done = 0;
    for (; length - done > kLongPiece; done += kLongPiece) {
      if (const u32 r = I2CLongRead(device, static_cast<u16>(address + done), kLongPiece, buffer + done, x, y); r != 0) {
        return r;
      }
    }
    return I2CLongRead(device, static_cast<u16>(address + done), length - done, buffer + done, x, y);
  }
  u8 staging[kStagingSize] = {};
  const u32 r = Framed(WithP(tpl::kI2CLongRead, address, static_cast<u16>(length), device),
                       {"I2CLongRead", "I2CLongRead GetData 0x%x"}, address, Dir::kIn, staging,
                       static_cast<u16>(length));
  if (r == 0) std::memcpy(buffer, staging, length);
  return r;
}

u32 CExtUnitBase::I2CLongWrite(u16 device, u16 address, u32 w, u32 length, const u8* buffer, u32 x, u32 y) {
  EXT_UNIT_LOCKED("I2CLongWrite");
  if (length > kLongPiece) {
    u32 done = 0;
    for (; length - done > kLongPiece; done += kLongPiece) {
      if (const u32 r = I2CLongWrite(device, static_cast<u16>(address + done), w, kLongPiece, buffer + done, x, y);
          r != 0) {
        return r;
      }
    }
    return I2CLongWrite(device, static_cast<u16>(address + done), w, length - done, buffer + done, x, y);
  }
  // The chip takes a full 64-byte piece at the plain address; shorter pieces carry bit 15 clear.
  const u16 field = length == kLongPiece ? address : static_cast<u16>(address & 0x7FFF);
  u8 staging[kStagingSize] = {};
  std::memcpy(staging, buffer, length);
  return Framed(WithP(tpl::kI2CLongWrite, field, static_cast<u16>(length), device),
                {"I2CLongWrite", "I2CLongWrite SetData 0x%x"}, field, Dir::kOut, staging, static_cast<u16>(length));
}

// ---- OTP ----

u32 CExtUnitBase::OTP_Write(u16 address, u16 length, u16 mode, const u8* buffer, u32, u32) {
  lastVcmdStatus_ = 0;
  CSyncOperate sync(lock_, "CExtUnitBase::OTP_Write");
  if (!sync.Held()) {
    lastVcmdStatus_ = 0xFF;
    return kResultLockNotTaken;
  }
  return Framed(WithP(tpl::kOtpWrite, address, length, mode), {"OTPWrite SetCmd", "OTPWrite SetData 0x%X"}, 0,
                Dir::kOut, const_cast<u8*>(buffer), length);
}

u32 CExtUnitBase::OTP_Read(u16 address, u16 length, u8* buffer, u32, u32) {
  EXT_UNIT_LOCKED("OTP_Read");
  return Framed(WithP(tpl::kOtpRead, address, length, 0), {"OTPRead SetCmd", "OTPRead GetData 0x%X"}, 0, Dir::kIn,
                buffer, length);
}

u32 CExtUnitBase::OTP_BlankCheck(u16 address, u16 length, u8* buffer, u32, u32) {
  EXT_UNIT_LOCKED("OTP_BlankCheck");
  return Framed(WithP(tpl::kOtpBlankCheck, address, length, 0),
                {"OTPBlankCheck SetCmd", "OTPBlankCheck GetData 0x%X"}, 0, Dir::kIn, buffer, length);
}

u32 CExtUnitBase::OTP_AllBlankCheck(u16 address, u16 length, u8* buffer, u32, u32) {
  EXT_UNIT_LOCKED("OTP_AllBlankCheck");
  return Framed(WithP(tpl::kOtpAllBlankCheck, address, 8, length),
                {"OTPAllBlankCheck SetCmd", "OTPAllBlankCheck GetData 0x%X"}, 0, Dir::kIn, buffer, length);
}

u32 CExtUnitBase::OTP_ReadProgramFailAdr(u16 length, u8* buffer) {
  EXT_UNIT_LOCKED("OTP_ReadProgramFailAdr");
  return Framed(tpl::kOtpProgramFailAdr, {"OTPPrgmFailAddr SetCmd", "OTPPrgmFailAddr GetData 0x%X"}, 0, Dir::kIn,
                buffer, length);
}

u32 CExtUnitBase::OTPTestDec(u16 address, u16 length, u8* buffer) {
  EXT_UNIT_LOCKED("OTPTestDec");
  return Framed(WithP(tpl::kOtpTestDec, address, length, 0), {"OTPTestDec SetCmd", "OTPTestDec GetData 0x%x"},
                address, Dir::kIn, buffer, length);
}

u32 CExtUnitBase::OTPWriteTest(u16 address, u16 mode, u16 length, const u8* buffer) {
  EXT_UNIT_LOCKED("OTPWriteTest");
  return Framed(WithP(tpl::kOtpWriteTest, address, length, mode), {"OTPWriteST SetCmd", "OTPWriteST SetData 0x%x"},
                address, Dir::kOut, const_cast<u8*>(buffer), length);
}
