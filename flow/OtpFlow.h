#pragma once
// The OTP write algorithm. OTP cannot be erased, so every download appends its blocks after
// the ones already written, registers each in a free VD entry and retires the entries (and ECC
// records) of the blocks it supersedes. Cells that refuse to program are repaired through ECC
// records; a write that fails leaves its space recorded as consumed (flag 0xFF) so the next one
// starts after it.

#include <cstdint>
#include <vector>

#include "flow/DevFlow.h"
#include "flow/OtpLayout.h"

// The block being written is the code part (else the configuration part).
extern bool g_bOTPCodePart;
// The prepared block of the part being written.
extern const std::uint8_t* g_pOTPBlock;
extern std::uint16_t g_wOTPBlockLen;

class CMpFlow_OTP : public CDevFlow {
 public:
  // Part 0 code, 1 configuration; source: the primary image. 0 failure, 1 prepared (block
  // published in g_pOTPBlock / g_wOTPBlockLen and kept for the verification), 2 nothing to write.
  [[nodiscard]] int OTP_PrepareBlock(int part);
  // The space questions for one block, then OTP_UpdateEx_Cmd2.
  [[nodiscard]] int OTP_CheckSpaceAndUpdate(const std::uint8_t* block, std::uint16_t length);
  // Write, verify and register one block; superseded blocks of the part are retired.
  [[nodiscard]] int OTP_UpdateEx_Cmd2(const std::uint8_t* block, std::uint16_t length);
  [[nodiscard]] int OTP_ReadEx_Cmd2(std::uint16_t address, std::uint16_t length, std::uint8_t* buffer, bool showProgress);
  [[nodiscard]] int OTP_Veriry_Cmd2(std::uint16_t address, std::uint16_t length, std::uint8_t* buffer);

  // Place, write and repair one block.
  [[nodiscard]] int MP_OTPWrite(std::uint16_t length, const std::uint8_t* data);
  [[nodiscard]] int MP_CheckVDNUM();
  [[nodiscard]] int MP_CheckVDInfo(std::uint16_t length);
  // 1 usable; 0 an ECC record pointed into the entry (entry and record retired); -2 locked,
  // -1 a command failed.
  [[nodiscard]] int MP_OTPBlockValidAndSet(std::uint32_t entryAddress, int k);
  // 1 when the 256 bytes from start hold no run of eight programmed bytes (-1: read failed).
  [[nodiscard]] int MP_CheckOTPWriteInValid(std::uint16_t start);
  [[nodiscard]] int MP_OTPGetTotalErrorNum(std::uint16_t start, std::uint16_t length);
  [[nodiscard]] int MP_OTPConvertBinaryData(std::uint16_t start, std::uint16_t length, std::uint8_t* data);
  [[nodiscard]] std::uint8_t MP_ChangeBinaryData(std::uint8_t otpData, std::uint8_t binaryData, std::uint16_t address);
  [[nodiscard]] int MP_OTPReduceErrNum(std::uint16_t address, std::uint8_t value);
  void MP_OTPInit();

  [[nodiscard]] int MP_OTPWriteWithRetry(std::uint16_t address, std::uint16_t length, std::uint16_t mode, const std::uint8_t* data);
  [[nodiscard]] int MP_OTPAnalyzeECC(std::uint16_t address, std::uint16_t length, const std::uint8_t* data);
  [[nodiscard]] int MP_OTPReduant();
  // 0 written, 1 the record failed and was retired, 3 locked, 2 any other failure.
  [[nodiscard]] int MP_OTPReduantDetail(std::uint16_t address, std::uint8_t value);
  [[nodiscard]] int MP_OTPGetCorrectCodeData(std::uint16_t start, std::uint16_t length, std::uint8_t* buffer);
  [[nodiscard]] int MP_OTPWriteEnale();

  [[nodiscard]] int MP_OTPWriteBlock(std::uint16_t length);
  [[nodiscard]] int MP_OTPReduantVDFlag(int k);
  [[nodiscard]] int MP_OTPClearECC();
  [[nodiscard]] bool MP_OTPECCBelongToVDCode(std::uint16_t address);
  [[nodiscard]] bool MP_OTPECCBelongToVDConfig(std::uint16_t address);
  [[nodiscard]] int MP_OTPClearPreVDBlock();
  [[nodiscard]] int MP_OTPClearPrePreVDBlock();

  [[nodiscard]] int MP_OTPFailAction(std::uint16_t length);
  [[nodiscard]] int MP_OTPWriteBlockFail(std::uint16_t failAddress, std::uint16_t length);
  [[nodiscard]] int MP_OTPClearCurECC(std::uint16_t failAddress, std::uint16_t length);

  // Working state of one block write.
  std::uint16_t m_wFailAddr[kOtpEccSlots] = {};
  std::uint8_t m_byFailValue[kOtpEccSlots] = {};
  bool m_abFailFlag[kOtpEccSlots] = {};
  std::uint8_t m_abyECCNo[kOtpEccSlots] = {};
  // Counters are signed: none of them may wrap below zero unnoticed.
  int m_uActualECCNum = kOtpEccSlots;
  int m_uVirtualECCNum = 0;
  int m_uSubECCNum = 0;
  int m_uExecECCNum = 0;
  int m_uTotalErrorNum = 0;
  int m_uCurErrorNum = 0;
  int m_uVDFlagNum = 0;
  int m_iSelBlock = 0;
  int m_iPreSelBlock = 0;
  std::uint16_t m_wPrevAddr = 0;
  std::uint16_t m_wPrevLen = 0;
  std::uint16_t m_wStartAddr = 0;
  std::uint16_t m_wCurAddr = kOtpNoAddress;
  bool m_bWriteStarted = false;
  std::uint8_t m_abySavedEntry[kOtpVdEntryBytes] = {};
  OtpVdTable m_vdTable{};
  OtpEccTable m_eccTable{};

 protected:
  // Posts UM_ERROR once per failure: a failure that set off clean-up steps is reported by the
  // step that failed, never again by the steps around it. Every operation and every block
  // write begins with BeginOtpOperation (they start only while nothing has failed).
  void PostOtpError(int id);
  void BeginOtpOperation() { m_bOtpErrorPosted = false; }
  // Space and free entries for blocks of total bytes before any of them is written, with the
  // operator's questions; 0 after UM_ERROR.
  [[nodiscard]] int OTP_CheckSpace(std::uint32_t total, int blocks);
  // The block being written as it came (the verification compares with it).
  std::vector<std::uint8_t> m_blockCopy;
  // The prepared blocks of both parts (empty when a part has nothing to write).
  std::vector<std::uint8_t> m_partBlocks[2];

 private:
  // The flag of the current part's entries.
  [[nodiscard]] static std::uint8_t PartFlag() { return g_bOTPCodePart ? kVdFlagCode : kVdFlagConfig; }
  // Registers entry at m_iSelBlock (moving on when its cells fail); postLock: 41918 when locked.
  [[nodiscard]] int RegisterEntry(const std::uint8_t (&entry)[kOtpVdEntryBytes], bool postLock);
  [[nodiscard]] bool EccBelongsTo(std::uint8_t flag, std::uint16_t address, const char* exact, const char* inside);
  [[nodiscard]] int RetirePartEntriesBelow(int limit);
  // The first free ECC slot, -1 when all are used.
  [[nodiscard]] int FreeSlot() const;
  [[nodiscard]] bool InSlot(std::uint16_t address) const;

  bool m_bOtpErrorPosted = false;
};
