#pragma once
// The chip's command interface, implemented by the extension-unit set (CExtUnit) and the
// vendor-request set (CVendorRequestV2). Every command returns 0 on success, 0x8007xxxx for a
// failed transfer, 0x80004001 when the set does not implement it (the default here, without a
// transfer) and 1 when the command lock was not obtained.

#include <cstdint>

#include "device/DeviceResult.h"

// Progress after every data unit (extension unit) or request (vendor set): (context, bytes).
using ProgressCallback = void (*)(std::uint32_t context, std::uint32_t bytes);

class CVendorCmdCommon {
 public:
  virtual ~CVendorCmdCommon() = default;

  using u8 = std::uint8_t;
  using u16 = std::uint16_t;
  using u32 = std::uint32_t;
  using s32 = std::int32_t;
  using Cb = ProgressCallback;

  virtual u32 GetDevStatus(u32, u8*, s32) { return kResultNotImplemented; }
  virtual u32 ResetToUpdateFW(u16) { return kResultNotImplemented; }
  virtual u32 ResetToNewCode(u16) { return kResultNotImplemented; }
  virtual u32 ResetToRom() { return kResultNotImplemented; }
  virtual u32 ReadIMem(u32, u32, u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 ReadMem(u32, u32, u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 WriteMem(u32, u32, const u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 ReadCode(u32, u32, u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 ReadPhy(u32, u32, u8*) { return kResultNotImplemented; }
  virtual u32 WritePhy(u32, u32, const u8*) { return kResultNotImplemented; }
  virtual u32 NorFlash_Erase() { return kResultNotImplemented; }
  virtual u32 NorFlash_Read(u32, u32, u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 NorFlash_Write(u32, u32, const u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 NorFlash_WriteTag() { return kResultNotImplemented; }
  virtual u32 SPI_SF_ReadID(u8*) { return kResultNotImplemented; }
  virtual u32 SPI_SF_Read(u32, u32, u8*, u32, Cb, u32) { return kResultNotImplemented; }
  virtual u32 SPI_SF_Write(u32, u32, const u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 SPI_SF_ReadSr(u8*) { return kResultNotImplemented; }
  virtual u32 SPI_SF_WriteSr(u8) { return kResultNotImplemented; }
  virtual u32 SPI_SF_EraseChip(u32) { return kResultNotImplemented; }
  virtual u32 SPI_SF_EraseSector(u32, u32) { return kResultNotImplemented; }
  virtual u32 SPI_SF_WriteTag() { return kResultNotImplemented; }
  virtual u32 I2C_EEP8_Erase(u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP8_Read(u32, u32, u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP8_Write(u32, u32, const u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP8_WriteTag() { return kResultNotImplemented; }
  virtual u32 I2C_EEP16_Erase(u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP16_Read(u32, u32, u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP16_Write(u32, u32, const u8*, Cb, u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP16_WriteTag() { return kResultNotImplemented; }
  virtual u32 I2C_EEP_Erase(u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP_Read(u32, u32, u8*, u32, Cb, u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP_Write(u32, u32, const u8*, u32, Cb, u32) { return kResultNotImplemented; }
  virtual u32 I2C_EEP_WriteTag() { return kResultNotImplemented; }
  virtual u32 I2CRead(u8, u16, u8*) { return kResultNotImplemented; }
  virtual u32 I2CRead(u8, u32, u16*) { return kResultNotImplemented; }
  virtual u32 I2CWrite(u8, u16, const u8*) { return kResultNotImplemented; }
  virtual u32 I2CWrite(u8, u32, u16) { return kResultNotImplemented; }
  // Slots 38 to 47 carry no operation in either set and are not reserved.
  virtual u32 I2CGenRead(u8, u16, u8*) { return kResultNotImplemented; }
  virtual u32 I2CGenWrite(u8, u16, const u8*) { return kResultNotImplemented; }
  virtual u32 I2CRandomRead(u8, u16, u8*) { return kResultNotImplemented; }
  virtual u32 I2CRandomWrite(u8, u16, const u8*) { return kResultNotImplemented; }
  virtual u32 I2CSuperRead(u8, u16, u8*) { return kResultNotImplemented; }
  virtual u32 I2CSuperWrite(u8, u16, const u8*) { return kResultNotImplemented; }
  virtual u32 I2CLongRead(u16, u16, u32, u8*, u32, u32) { return kResultNotImplemented; }
  virtual u32 I2CLongWrite(u16, u16, u32, u32, const u8*, u32, u32) { return kResultNotImplemented; }
  virtual u32 OTP_Write(u16, u16, u16, const u8*, u32, u32) { return kResultNotImplemented; }
  virtual u32 OTP_Read(u16, u16, u8*, u32, u32) { return kResultNotImplemented; }
  virtual u32 OTP_BlankCheck(u16, u16, u8*, u32, u32) { return kResultNotImplemented; }
  virtual u32 OTP_AllBlankCheck(u16, u16, u8*, u32, u32) { return kResultNotImplemented; }
  virtual u32 OTP_ReadProgramFailAdr(u16, u8*) { return kResultNotImplemented; }
};
