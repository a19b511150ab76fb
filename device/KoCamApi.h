#pragma once
// The flat device API the flows use. One current device per process; every command wrapper
// forwards to one of its command sets and returns nonzero on success (1 when the command
// returned 0), 0 on failure or when there is no current device or no suitable set.
//
// A flow: KoCam_Init(0) at start; KoCam_SelectDevice(n) gives a handle (0 = none; close first
// to select another); commands through the wrappers; KoCam_ResetTo*(&handle, ...) to reset and
// reopen (the handle changes); KoCam_CloseDevice(); KoCam_Uninit() at exit.
//
// flags: kKoCamUseExtUnit selects the extension-unit set instead of the preferred one;
// for the resets, kKoCamChannelFromCaps passes the known channel and kKoCamAudioClasses
// reopens among audio functions.

#include <cstdint>
#include <string>

#include "device/DeviceRecord.h"
#include "device/VendorCmdCommon.h"

inline constexpr std::uint32_t kKoCamChannelFromCaps = 0x01;
inline constexpr std::uint32_t kKoCamUseExtUnit = 0x20;
inline constexpr std::uint32_t kKoCamAudioClasses = 0x40;
inline constexpr std::int32_t kDevStatusLength = 104;

class CExtUnit;

int KoCam_Init(std::int32_t libType);
int KoCam_Uninit();

[[nodiscard]] std::uint8_t KoCam_GetDeviceCount();
// The devnode of the selected device, or 0. With a device current, its handle whatever index.
[[nodiscard]] std::uint32_t KoCam_SelectDevice(std::uint32_t index);
int KoCam_CloseDevice();
// Opens list entry `index` (mode 0 audio functions, 1 camera classes) into *record: 2 when the
// index is beyond the list, else the open's result.
[[nodiscard]] std::uint32_t KoCam_OpenDevice(DeviceRecord* record, std::uint32_t index, std::uint32_t mode,
                                             std::uint32_t* waitedMs = nullptr);
[[nodiscard]] std::uint32_t KoCam_GetDevNode();

int KoCam_GetVidPidRev(std::uint16_t* vid, std::uint16_t* pid, std::uint16_t* rev);
int KoCam_GetDeviceInfo(std::uint16_t* vid, std::uint16_t* pid, std::uint16_t* rev, std::string* manufacturer);
int KoCam_GetSerialString(std::string* serial);
int KoCam_GetFirstManufacturer(std::string* manufacturer);
int KoCam_GetDeviceName(std::string* name);

int KoCam_ChangeDataControlSize(std::uint16_t* size);
int KoCam_GetDevStatus(std::uint8_t* buffer, std::uint32_t flags);  // 104 bytes from block 0
int KoCam_GetStatusBlocks(std::uint32_t firstBlock, std::int32_t length, std::uint8_t* buffer, std::uint32_t flags);
int KoCam_ReadMem(std::uint32_t address, std::uint32_t length, std::uint8_t* buffer, std::uint32_t flags);
int KoCam_WriteMem(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t flags);
int KoCam_SPI_SF_Read(std::uint32_t address, std::uint32_t length, std::uint8_t* buffer, std::uint32_t flags,
                      ProgressCallback cb, std::uint32_t ctx);
int KoCam_SPI_SF_Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer,
                       std::uint32_t flags, ProgressCallback cb, std::uint32_t ctx);
int KoCam_SPI_SF_ReadSr(std::uint8_t* status, std::uint32_t flags);
int KoCam_SPI_SF_WriteSr(std::uint8_t status, std::uint32_t flags);
int KoCam_SPI_SF_EraseChip(std::uint32_t timeoutMs, std::uint32_t flags);
int KoCam_SPI_SF_WriteTag(std::uint32_t flags);
int KoCam_NorFlash_Erase(std::uint32_t flags);
int KoCam_NorFlash_Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t flags);
int KoCam_NorFlash_WriteTag(std::uint32_t flags);
int KoCam_I2C_EEP8_Erase(std::uint32_t size, std::uint32_t flags);
int KoCam_I2C_EEP8_Read(std::uint32_t address, std::uint32_t length, std::uint8_t* buffer, std::uint32_t flags);
int KoCam_I2C_EEP8_Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t flags);
int KoCam_I2C_EEP8_WriteTag(std::uint32_t flags);
int KoCam_I2C_EEP16_Read(std::uint32_t address, std::uint32_t length, std::uint8_t* buffer, std::uint32_t flags);
int KoCam_I2C_EEP16_Write(std::uint32_t address, std::uint32_t length, const std::uint8_t* buffer, std::uint32_t flags);
int KoCam_I2C_EEP16_WriteTag(std::uint32_t flags);
int KoCam_I2C_EEP16_Clear(std::uint32_t address, std::uint32_t length, std::uint32_t flags);
int KoCam_OTP_Read(std::uint16_t address, std::uint16_t length, std::uint8_t* buffer, std::uint32_t w1 = 0,
                   std::uint32_t w2 = 0);
int KoCam_OTP_ReadProgramFailAdr(std::uint16_t length, std::uint8_t* buffer);
// Afterwards KoCam_GetOtpStatus() holds the extension unit's last status code (0 = clean).
int KoCam_OTP_Write(std::uint16_t address, std::uint16_t mode, std::uint16_t length, const std::uint8_t* buffer,
                    std::uint32_t w1 = 0, std::uint32_t w2 = 0);
[[nodiscard]] std::uint8_t KoCam_GetOtpStatus();

int KoCam_SendResetToRom();
// Reset and reopen; *handle receives the new handle, also on failure (device 0 selected again).
int KoCam_ResetToUpdateFW(std::uint32_t* handle, std::uint16_t argument, std::uint32_t flags, std::uint32_t waitMs);
int KoCam_ResetToNewCode(std::uint32_t* handle, std::uint32_t flags, std::uint32_t waitMs);
int KoCam_ResetToRom(std::uint32_t* handle, std::uint32_t flags, std::uint32_t waitMs);
void KoCam_SignalResetEvent();

// The current device's preferred command set, its extension-unit set (null when none).
[[nodiscard]] CVendorCmdCommon* KoCam_GetCommandSet();
[[nodiscard]] CExtUnit* KoCam_GetExtUnitSet();
// The current device's record, or null.
[[nodiscard]] const DeviceRecord* KoCam_GetCurrentRecord();
