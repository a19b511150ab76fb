#pragma once
// The device context of a flow object and the device-level steps: open, identify, read the
// running version, reset into ROM (update) code and back into the new code.

#include <cstdint>
#include <string>
#include <vector>

#include "flow/ChipIdentity.h"
#include "flow/KobFun.h"
#include "flow/VersionText.h"
#include "image/MpConfig.h"

// The process-wide operation options: bit 0 reset into the new code afterwards, bit 1 empty
// check after an erase, bit 2 normal reset disabled, bit 4 write and verify steps.
extern std::uint32_t g_uOpFlags;
inline constexpr std::uint32_t kOpResetAfter = 0x01;
inline constexpr std::uint32_t kOpEmptyCheck = 0x02;
inline constexpr std::uint32_t kOpNoNormalReset = 0x04;
inline constexpr std::uint32_t kOpWriteVerify = 0x10;

// Request option bits of m_uFlags.
inline constexpr std::uint32_t kFlagKnownChannel = 0x01;
inline constexpr std::uint32_t kFlagExtUnit = 0x20;
inline constexpr std::uint32_t kFlagAudioSearch = 0x40;

enum ResetKind : int { kResetToUpdateFw = 7, kResetToNewCode = 9, kResetToRom = 10 };

class CMpFlow : public CKobFun, public CMpConfig {
 public:
  virtual ~CMpFlow() = default;

  std::uint8_t m_byChipId0 = 0xFF;  // masked with 0xF0
  std::uint8_t m_byChipId1 = 0xFF;
  bool m_bModeReg = false;
  bool m_bRomMode = false;
  std::string m_strMode;
  std::string m_strFwVer = "N/A";
  std::string m_strConnect = "No USB Audio";
  std::string m_strProduct = "N/A";
  std::uint16_t m_wVid = 0, m_wPid = 0, m_wRev = 0;
  std::uint16_t m_wVerMajor = 0, m_wVerMinor = 0, m_wVerBuild = 0;
  std::uint16_t m_wVer1 = 0, m_wVer2 = 0, m_wVer3 = 0;
  std::string m_strCmpVer;
  std::string m_strVidPid;
  std::string m_strVidPidRev;
  std::string m_strNameId;
  std::uint32_t m_dwPortAddr = 0;
  std::uint32_t m_dwParentInst = 0;
  std::uint8_t m_byResetTarget = 0;
  // What a read or verify brought back (a new buffer of the needed size for each).
  std::vector<std::uint8_t> readBack;

  [[nodiscard]] int MP_OpenDevice(int index);
  void MP_CloseDevice();
  [[nodiscard]] int MP_ResetToRomCode();
  [[nodiscard]] int MP_ResetDevice(int kind, std::uint32_t argument);
  [[nodiscard]] bool MP_CheckRunningCode();
  int MP_ReadChipId();
  int MP_GetDeviceInfo();
  int MP_ShowModeVersion();

  // Lifts the serial flash's write protection (the flash steps provide it).
  [[nodiscard]] virtual int MP_SPIWaitWriteSr() = 0;

  // The chip identity as last read (the two bytes unmasked).
  [[nodiscard]] ChipIdentity Chip() const { return m_chip; }
  // Reads VID, PID and revision (and the product name) of the open device.
  void ReadVidPidRev(bool withProduct);
  // "VID_%04X&PID_%04X" and "VID_%04X&PID_%04X&REV_%04X" from the identifiers read.
  void FormatVidPidTexts();
  // Port address and parent hub of the open device.
  void ReadPortLocation();

 protected:
  ChipIdentity m_chip{0xFF, 0xFF};
  // Reads one byte at address, leaving fallback when the read fails.
  std::uint8_t ReadByteOr(std::uint32_t address, std::uint8_t fallback);
  void StoreVersion(const DeviceVersion& version);
  // The version from a status record (and block 128 for the modes that need it), stored.
  DeviceVersion ReadVersion(std::span<const std::uint8_t, kStatusRecordSize> status, std::uint8_t mode);
};
