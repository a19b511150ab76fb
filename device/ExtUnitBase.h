#pragma once
// The extension-unit command set: every command is an 8-byte block sent with SET_CUR on
// control 10, then a data phase of GET_CUR / SET_CUR transfers of exactly dataControlSize bytes
// on control 11. Each command holds the system-wide command lock (CSyncOperate) and, on its
// first failing phase, writes one error report line and clears the device's command state.
//
// The command templates are built on the stack from constants; the wire bytes are the same as
// filling one shared template, without sharing mutable data between threads.

#include <array>
#include <cstdint>

#include "device/ExtUnitProtocol.h"
#include "device/VendorCmdCommon.h"
#include "platform/NamedMutex.h"

inline constexpr std::uint32_t kUnitBufferSize = 1024;
inline constexpr std::uint32_t kStagingSize = 64;  // the slave-addressed I2C staging areas

class CExtUnitBase : public CVendorCmdCommon {
 public:
  CExtUnitBase();
  ~CExtUnitBase() override;
  CExtUnitBase(const CExtUnitBase&) = delete;
  CExtUnitBase& operator=(const CExtUnitBase&) = delete;

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
  u32 I2CRead(u8 slave, u16 length, u8* buffer) override;
  u32 I2CRead(u8 width, u32 address, u16* value) override;
  u32 I2CWrite(u8 slave, u16 length, const u8* buffer) override;
  u32 I2CWrite(u8 width, u32 address, u16 value) override;
  u32 I2CGenRead(u8 slave, u16 length, u8* buffer) override;
  u32 I2CGenWrite(u8 slave, u16 length, const u8* buffer) override;
  u32 I2CRandomRead(u8 slave, u16 length, u8* buffer) override;
  u32 I2CRandomWrite(u8 slave, u16 length, const u8* buffer) override;
  u32 I2CSuperRead(u8 slave, u16 length, u8* buffer) override;
  u32 I2CSuperWrite(u8 slave, u16 length, const u8* buffer) override;
  u32 I2CLongRead(u16 device, u16 address, u32 length, u8* buffer, u32, u32) override;
  u32 I2CLongWrite(u16 device, u16 address, u32, u32 length, const u8* buffer, u32, u32) override;
  u32 OTP_Write(u16 address, u16 length, u16 mode, const u8* buffer, u32, u32) override;
  u32 OTP_Read(u16 address, u16 length, u8* buffer, u32, u32) override;
  u32 OTP_BlankCheck(u16 address, u16 length, u8* buffer, u32, u32) override;
  u32 OTP_AllBlankCheck(u16 address, u16 length, u8* buffer, u32, u32) override;
  u32 OTP_ReadProgramFailAdr(u16 length, u8* buffer) override;

  // The error report of a command's first failing phase (tag already formatted).
  virtual void ReportError(const char* tag, u32 result);
  // True when the device answers the qualification with the signature.
  virtual bool DevQualify();
  // Asks the device for another data unit size; true when it took exactly that size.
  virtual bool ChangeDataControlSize(u16* size) = 0;
  virtual u32 OTPTestDec(u16 address, u16 length, u8* buffer);
  virtual u32 OTPWriteTest(u16 address, u16 mode, u16 length, const u8* buffer);

  // Transport phases: 0 or the HRESULT of the platform error.
  virtual u32 SetCmd(const CommandBlock& block) = 0;
  virtual u32 GetCmdStatus(u8* status) = 0;
  virtual u32 GetData(u8* unit) = 0;      // exactly dataControlSize bytes
  virtual u32 SetData(const u8* unit) = 0;
  // Whole units straight from/into the buffer; a last partial unit through the zeroed unit
  // buffer. *bytesDone is written on failure only.
  u32 GetDataChunked(u8* buffer, u16 length, u32* bytesDone, Cb cb = nullptr, u32 ctx = 0);
  u32 SetDataChunked(const u8* buffer, u16 length, u32* bytesDone, Cb cb = nullptr, u32 ctx = 0);

  [[nodiscard]] std::uint32_t DataControlSize() const { return dataControlSize_; }
  [[nodiscard]] std::uint8_t LastVcmdStatus() const { return lastVcmdStatus_; }

 protected:
  enum class Dir { kIn, kOut };
  struct Tags {
    const char* setCmd;
    const char* data;  // printf format of one unsigned value
  };

  // SetCmd, then one chunked data phase of `length` bytes; failures reported with the tags
  // (the data tag receives tagBase + bytes done).
  u32 Framed(const CommandBlock& block, Tags tags, u32 tagBase, Dir dir, u8* buffer, u16 length,
             Cb cb = nullptr, u32 ctx = 0);
  // Address-and-length command: P1 = address bits 0..15, P2 = length, P3 = bits 16..31 when
  // highWord; the data tag receives address + bytes done.
  u32 AddressCommand(CommandBlock block, bool highWord, Tags tags, Dir dir, u32 address, u32 length,
                     u8* buffer, Cb cb, u32 ctx);
  // SetCmd, then one unit into the cleared unit buffer.
  u32 SingleUnitIn(const CommandBlock& block, Tags tags);
  u32 SetCmdReported(const CommandBlock& block, const char* tag);
  u32 EepromErase(const CommandBlock& writeTemplate, const char* scope, Tags tags, u32 size);
  u32 SlaveRead(const CommandBlock& tmpl, const char* scope, Tags tags, u8 slave, u16 length, u8* buffer);
  template <class Transfer>
  u32 Chunked(u8* buffer, u16 length, u32* bytesDone, Cb cb, u32 ctx, bool in, Transfer transfer);
  u32 SlaveWrite(const CommandBlock& tmpl, const char* scope, Tags tags, u8 slave, u16 length,
                 const u8* buffer);

  std::array<std::uint8_t, kUnitBufferSize> unitBuffer_{};
  std::uint32_t dataControlSize_ = 8;
  NamedMutex lock_;
  std::uint8_t lastVcmdStatus_ = 0;
};
