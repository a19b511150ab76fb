#include "device/VendorRequestV2.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/Trace.h"
#include "device/ProxyChannel.h"
#include "device/UsbRequests.h"
#include "device/VendorEntry.h"

namespace {

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using u32 = std::uint32_t;

constexpr u32 kPiece = 4096;
constexpr u32 kAddressSpace = 0x100000;  // bits 0..19
constexpr u32 kTimeoutMs = 5000;

constexpr u8 kIn = kVendorIn;
constexpr u8 kOut = kVendorOut;

u16 HighNibbles(u32 address, u32 count) {
  return static_cast<u16>(((count >> 16) & 0xF) * 0x1000 + ((address >> 16) & 0xF) * 0x100);
}

}  // namespace

CVendorRequestV2::CVendorRequestV2(const DeviceRecord& record) : record_(record) {}

u32 CVendorRequestV2::Send(Request rq, u16 value, u16 index, u8* data, u16 length, u32 timeoutMs) {
  const UsbDirection dir = (rq.type & 0x80) != 0 ? UsbDirection::kToHost : UsbDirection::kToDevice;
  if (VendorDeviceRequest(record_.deviceId, rq.type, rq.code, value, index, data, length, dir, nullptr, timeoutMs)) {
    return 0;
  }
  const u32 r = HResultFromWin32(ProxyLastError());
  TraceScope scope("CVendorRequestV2::SendRequest", 0);
  TraceWrite(scope, "CVendorRequestV2 SendRequest failed: %08x\n", r);
  return r;
}

// A single request moves at most 0xFFFF bytes: a larger count would leave the rest of the
// caller's buffer unfilled, so it is refused like an address beyond bit 19.
u32 CVendorRequestV2::AddressForm(Request rq, u32 address, u32 count, u8* data, u8 extra) {
  if (count > 0xFFFF || address >= kAddressSpace || count > kAddressSpace - address) return kResultInvalidArg;
  return Send(rq, static_cast<u16>(HighNibbles(address, count) + extra), static_cast<u16>(address), data,
              static_cast<u16>(count), kTimeoutMs);
}

u32 CVendorRequestV2::Pieces(Request rq, u32 address, u32 length, u8* data, Cb cb, u32 ctx, u8 extra) {
  if (address >= kAddressSpace || length > kAddressSpace - address) return kResultInvalidArg;
  for (u32 done = 0; done < length;) {
    const u32 n = std::min(kPiece, length - done);
    if (const u32 r = AddressForm(rq, address + done, n, data + done, extra); r != 0) return r;
    if (cb != nullptr) cb(ctx, n);
    done += n;
  }
  return 0;
}

u32 CVendorRequestV2::GetDevStatus(u32 firstBlock, u8* buffer, s32 length) {
  if (length < 0) return kResultInvalidArg;
  const u32 whole = static_cast<u32>(length) / 8;
  const u32 rest = static_cast<u32>(length) % 8;
  for (u32 i = 0; i < whole + (rest != 0 ? 1 : 0); ++i) {
    u8 block[8] = {};
    if (const u32 r = Send({kIn, 0x07}, static_cast<u16>((firstBlock + i) & 0xFF), 0, block, 8, kTimeoutMs); r != 0) {
      return r;
    }
    std::memcpy(buffer + 8 * i, block, i < whole ? 8 : rest);
  }
  return 0;
}

u32 CVendorRequestV2::ResetToUpdateFW(u16 argument) {
  return Send({kOut, 0x20}, static_cast<u16>(argument & 0xFF), 0, nullptr, 0, kTimeoutMs);
}

u32 CVendorRequestV2::ResetToNewCode(u16 argument) {
  return Send({kOut, 0x21}, static_cast<u16>(argument & 0xFF), 0, nullptr, 0, kTimeoutMs);
}

u32 CVendorRequestV2::ResetToRom() { return Send({kOut, 0x22}, 0, 0, nullptr, 0, kTimeoutMs); }

u32 CVendorRequestV2::ReadIMem(u32 a, u32 n, u8* b, Cb cb, u32 ctx) { return Pieces({kIn, 0x23}, a, n, b, cb, ctx); }
u32 CVendorRequestV2::ReadMem(u32 a, u32 n, u8* b, Cb cb, u32 ctx) { return Pieces({kIn, 0x25}, a, n, b, cb, ctx); }
u32 CVendorRequestV2::WriteMem(u32 a, u32 n, const u8* b, Cb cb, u32 ctx) {
  return Pieces({kOut, 0x24}, a, n, const_cast<u8*>(b), cb, ctx);
}
u32 CVendorRequestV2::ReadCode(u32 a, u32 n, u8* b, Cb cb, u32 ctx) { return Pieces({kIn, 0x26}, a, n, b, cb, ctx); }
u32 CVendorRequestV2::ReadPhy(u32 a, u32 n, u8* b) { return AddressForm({kIn, 0x27}, a, n, b); }
u32 CVendorRequestV2::WritePhy(u32 a, u32 n, const u8* b) { return AddressForm({kOut, 0x28}, a, n, const_cast<u8*>(b)); }
u32 CVendorRequestV2::NorFlash_Erase() { return Send({kOut, 0x29}, 0, 0, nullptr, 0, kTimeoutMs); }
u32 CVendorRequestV2::NorFlash_Read(u32 a, u32 n, u8* b, Cb cb, u32 ctx) {
  return Pieces({kIn, 0x2B}, a, n, b, cb, ctx);
}
u32 CVendorRequestV2::NorFlash_Write(u32 a, u32 n, const u8* b, Cb cb, u32 ctx) {
  return Pieces({kOut, 0x2A}, a, n, const_cast<u8*>(b), cb, ctx);
}
u32 CVendorRequestV2::NorFlash_WriteTag() { return Send({kOut, 0x2C}, 0, 0, nullptr, 0, kTimeoutMs); }

u32 CVendorRequestV2::SPI_SF_ReadID(u8* id) { return Send({kIn, 0x2D}, 0, 0, id, 8, kTimeoutMs); }

u32 CVendorRequestV2::SPI_SF_Read(u32 a, u32 n, u8* b, u32 option, Cb cb, u32 ctx) {
  return Pieces({kIn, 0x2E}, a, n, b, cb, ctx, static_cast<u8>(option));
}

u32 CVendorRequestV2::SPI_SF_Write(u32 a, u32 n, const u8* b, Cb cb, u32 ctx) {
  return Pieces({kOut, 0x2F}, a, n, const_cast<u8*>(b), cb, ctx);
}

u32 CVendorRequestV2::SPI_SF_ReadSr(u8* status) { return Send({kIn, 0x30}, 0, 0, status, 1, kTimeoutMs); }

u32 CVendorRequestV2::SPI_SF_WriteSr(u8 status) { return Send({kOut, 0x31}, 0, 0, &status, 1, kTimeoutMs); }

// A chip erase takes longer than any other request: it waits for the caller's time-out.
u32 CVendorRequestV2::SPI_SF_EraseChip(u32 timeoutMs) { return Send({kOut, 0x32}, 0, 0, nullptr, 0, timeoutMs); }

u32 CVendorRequestV2::SPI_SF_EraseSector(u32 address, u32 sectorSize) {
  if (sectorSize == 0 || address % sectorSize != 0) return kResultInvalidArg;
  return AddressForm({kOut, 0x33}, address, 0, nullptr);
}

u32 CVendorRequestV2::SPI_SF_WriteTag() { return Send({kOut, 0x34}, 0, 0, nullptr, 0, kTimeoutMs); }

u32 CVendorRequestV2::FillWrite(u32 size, u32 (CVendorRequestV2::*write)(u32, u32, const u8*, Cb, u32)) {
  const std::vector<u8> fill(size, 0xFF);
  return (this->*write)(0, size, fill.data(), nullptr, 0);
}

u32 CVendorRequestV2::I2C_EEP8_Erase(u32 size) { return FillWrite(size, &CVendorRequestV2::I2C_EEP8_Write); }
u32 CVendorRequestV2::I2C_EEP8_Read(u32 a, u32 n, u8* b, Cb cb, u32 ctx) {
  return Pieces({kIn, 0x35}, a, n, b, cb, ctx);
}
u32 CVendorRequestV2::I2C_EEP8_Write(u32 a, u32 n, const u8* b, Cb cb, u32 ctx) {
  return Pieces({kOut, 0x36}, a, n, const_cast<u8*>(b), cb, ctx);
}
u32 CVendorRequestV2::I2C_EEP8_WriteTag() {
  const u8 tag = 0xA5;
  return I2C_EEP8_Write(1, 1, &tag, nullptr, 0);
}

u32 CVendorRequestV2::I2C_EEP16_Erase(u32 size) { return FillWrite(size, &CVendorRequestV2::I2C_EEP16_Write); }
u32 CVendorRequestV2::I2C_EEP16_Read(u32 a, u32 n, u8* b, Cb cb, u32 ctx) {
  return Pieces({kIn, 0x37}, a, n, b, cb, ctx);
}
u32 CVendorRequestV2::I2C_EEP16_Write(u32 a, u32 n, const u8* b, Cb cb, u32 ctx) {
  return Pieces({kOut, 0x38}, a, n, const_cast<u8*>(b), cb, ctx);
}
u32 CVendorRequestV2::I2C_EEP16_WriteTag() {
  const u8 tag = 0xA5;
  return I2C_EEP16_Write(1, 1, &tag, nullptr, 0);
}

u32 CVendorRequestV2::I2C_EEP_Erase(u32 size) {
  const std::vector<u8> fill(size, 0xFF);
  return I2C_EEP_Write(0, size, fill.data(), 3, nullptr, 0);
}
// The address width is not sent on reads.
u32 CVendorRequestV2::I2C_EEP_Read(u32 a, u32 n, u8* b, u32, Cb cb, u32 ctx) {
  return Pieces({kIn, 0x39}, a, n, b, cb, ctx);
}
u32 CVendorRequestV2::I2C_EEP_Write(u32 a, u32 n, const u8* b, u32 width, Cb cb, u32 ctx) {
  return Pieces({kOut, 0x3A}, a, n, const_cast<u8*>(b), cb, ctx, static_cast<u8>(width));
}
u32 CVendorRequestV2::I2C_EEP_WriteTag() {
  const u8 tag = 0xA5;
  return I2C_EEP_Write(1, 1, &tag, 3, nullptr, 0);
}

u32 CVendorRequestV2::I2CRead(u8 width, u32 address, u16* value) {
  u8 b[2] = {};
  const u32 r = AddressForm({kIn, 0x50}, address, 2, b);
  if (r == 0) *value = width == 1 ? b[0] : static_cast<u16>(b[0] | b[1] << 8);
  return r;
}

u32 CVendorRequestV2::I2CWrite(u8 width, u32 address, u16 value) {
  u8 b[2] = {static_cast<u8>(value), static_cast<u8>(width == 1 ? 0 : value >> 8)};
  return AddressForm({kOut, 0x51}, address, 2, b);
}

u32 CVendorRequestV2::I2CGenRead(u8 slave, u16 n, u8* b) { return AddressForm({kIn, 0x3D}, slave, n, b); }
u32 CVendorRequestV2::I2CGenWrite(u8 slave, u16 n, const u8* b) {
  return AddressForm({kOut, 0x3E}, slave, n, const_cast<u8*>(b));
}
u32 CVendorRequestV2::I2CRandomRead(u8 slave, u16 n, u8* b) { return AddressForm({kIn, 0x59}, slave, n, b); }
u32 CVendorRequestV2::I2CRandomWrite(u8 slave, u16 n, const u8* b) {
  return AddressForm({kOut, 0x58}, slave, n, const_cast<u8*>(b));
}

u32 CVendorRequestV2::VendorRead06(u8* byte) { return Send({kIn, 0x06}, 0, 0, byte, 1, kTimeoutMs); }

u32 CVendorRequestV2::VendorWrite10(u8 value) { return Send({kOut, 0x10}, value, 0, nullptr, 0, kTimeoutMs); }
