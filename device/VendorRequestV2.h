#pragma once
// The vendor-request command set: each command is one vendor request to the device, with the
// address and count packed into wValue / wIndex / wLength. Bulk transfers go in 4 KiB pieces.
// No lock, no status read, no data control size.
//
// Only address and count bits 0..19 reach the device: a request beyond them is refused with
// 0x80070057 before anything is sent (it would otherwise wrap onto low memory).

#include <cstdint>

#include "device/DeviceRecord.h"
#include "device/VendorCmdCommon.h"

class CVendorRequestV2 : public CVendorCmdCommon {
 public:
  explicit CVendorRequestV2(const DeviceRecord& record);

  using CVendorCmdCommon::I2CRead;
  using CVendorCmdCommon::I2CWrite;

  u32 GetDevStatus(u32 firstBlock, u8* buffer, s32 length) override;
  u32 ResetToUpdateFW(u16 argument) override;
  u32 ResetToNewCode(u16 argument) override;
  u32 ResetToRom() override;
  u32 ReadIMem(u32 address, u32 length, u8* buffer, Cb cb, u32 ctx) override;
  u32 ReadMem(u32 address, u32 length, u8* buffer, Cb cb, u32 ctx) override;
  u32 WriteMem(u32 address, u32 length, const u8* buffer, Cb cb, u32 ctx) override;
  u32 ReadCode(u32 address, u32 length, u8* buffer, Cb cb, u32 ctx) override;
  u32 ReadPhy(u32 address, u32 length, u8* buffer) override;
  u32 WritePhy(u32 address, u32 length, const u8* buffer) override;
  u32 NorFlash_Erase() override;
  u32 NorFlash_Read(u32 address, u32 length, u8* buffer, Cb cb, u32 ctx) override;
  u32 NorFlash_Write(u32 address, u32 length, const u8* buffer, Cb cb, u32 ctx) override;
  u32 NorFlash_WriteTag() override;
  u32 SPI_SF_ReadID(u8* id) override;
  u32 SPI_SF_Read(u32 address, u32 length, u8* buffer, u32 option, Cb cb, u32 ctx) override;
  u32 SPI_SF_Write(u32 address, u32 length, const u8* buffer, Cb cb, u32 ctx) override;
  u32 SPI_SF_ReadSr(u8* status) override;
  u32 SPI_SF_WriteSr(u8 status) override;
  u32 SPI_SF_EraseChip(u32 timeoutMs) override;
  u32 SPI_SF_EraseSector(u32 address, u32 sectorSize) override;
  u32 SPI_SF_WriteTag() override;
  u32 I2C_EEP8_Erase(u32 size) override;
  u32 I2C_EEP8_Read(u32 address, u32 length, u8* buffer, Cb cb, u32 ctx) override;
  u32 I2C_EEP8_Write(u32 address, u32 length, const u8* buffer, Cb cb, u32 ctx) override;
  u32 I2C_EEP8_WriteTag() override;
  u32 I2C_EEP16_Erase(u32 size) override;
  u32 I2C_EEP16_Read(u32 address, u32 length, u8* buffer, Cb cb, u32 ctx) override;
  u32 I2C_EEP16_Write(u32 address, u32 length, const u8* buffer, Cb cb, u32 ctx) override;
  u32 I2C_EEP16_WriteTag() override;
  u32 I2C_EEP_Erase(u32 size) override;
  u32 I2C_EEP_Read(u32 address, u32 length, u8* buffer, u32 width, Cb cb, u32 ctx) override;
  u32 I2C_EEP_Write(u32 address, u32 length, const u8* buffer, u32 width, Cb cb, u32 ctx) override;
  u32 I2C_EEP_WriteTag() override;
  u32 I2CRead(u8 width, u32 address, u16* value) override;
  u32 I2CWrite(u8 width, u32 address, u16 value) override;
  u32 I2CGenRead(u8 slave, u16 length, u8* buffer) override;
  u32 I2CGenWrite(u8 slave, u16 length, const u8* buffer) override;
  u32 I2CRandomRead(u8 slave, u16 length, u8* buffer) override;
  u32 I2CRandomWrite(u8 slave, u16 length, const u8* buffer) override;

  virtual u32 VendorRead06(u8* byte);
  virtual u32 VendorWrite10(u8 value);

 private:
  struct Request {
    u8 type;
    u8 code;
  };
  // One request; "CVendorRequestV2 SendRequest failed: %08x\n" and the HRESULT on failure.
  u32 Send(Request rq, u16 value, u16 index, u8* data, u16 length, u32 timeoutMs);
  // Packing form 3 (form 4 with extra): refused when address or count exceed bits 0..19.
  u32 AddressForm(Request rq, u32 address, u32 count, u8* data, u8 extra = 0);
  // Form 3 in 4 KiB pieces, progress after each request.
  u32 Pieces(Request rq, u32 address, u32 length, u8* data, Cb cb, u32 ctx, u8 extra = 0);
  u32 FillWrite(u32 size, u32 (CVendorRequestV2::*write)(u32, u32, const u8*, Cb, u32));

  const DeviceRecord& record_;
};
