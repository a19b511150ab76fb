// Registering a block in the VD table, retiring the blocks it supersedes, and recording the
// space a failed write consumed.
#include <algorithm>

#include "app/Trace.h"
#include "flow/NotifyUi.h"
#include "flow/OtpFlow.h"
#include "flow/TextIds.h"

namespace {
void PutEntry(std::uint8_t (&entry)[kOtpVdEntryBytes], std::uint16_t address, std::uint16_t length, std::uint8_t flag) {
  entry[0] = static_cast<std::uint8_t>(address >> 8);
  entry[1] = static_cast<std::uint8_t>(address & 0xFF);
  entry[2] = static_cast<std::uint8_t>(length >> 8);
  entry[3] = static_cast<std::uint8_t>(length & 0xFF);
  entry[4] = flag;
}
}  // namespace

int CMpFlow_OTP::RegisterEntry(const std::uint8_t (&entry)[kOtpVdEntryBytes], bool postLock) {
  // Saved first: a move to the next entry writes these bytes there.
  std::copy(std::begin(entry), std::end(entry), std::begin(m_abySavedEntry));
  const int enabled = MP_OTPWriteEnale();
  if (enabled != 1) {
    if (postLock) PostOtpError(enabled == 0 ? IDS_OTP_LOCKED : IDS_WRITE_OTP_FAIL);
    return 0;
  }
  if (m_iSelBlock < 0 || m_iSelBlock >= kOtpVdEntries) return 0;
  switch (OtpProgramTable(VdEntryAddress(m_iSelBlock), entry, kOtpVdEntryBytes)) {
    case OtpProgram::kDone: return 1;
    case OtpProgram::kCellsFailed: return MP_OTPReduantVDFlag(m_iSelBlock);
    case OtpProgram::kCommandFailed: break;
  }
  return 0;
}

int CMpFlow_OTP::MP_OTPWriteBlock(std::uint16_t length) {
  TraceScope scope("CMpFlow_OTP::MP_OTPWriteBlock");
  std::uint8_t entry[kOtpVdEntryBytes] = {};
  PutEntry(entry, static_cast<std::uint16_t>(m_wPrevAddr + m_wPrevLen), length, PartFlag());
  return RegisterEntry(entry, true);
}

int CMpFlow_OTP::MP_OTPReduantVDFlag(int k) {
  TraceScope scope("CMpFlow_OTP::MP_OTPReduantVDFlag");
  TraceWrite(scope, "MP_OTPReduantVDFlag index %d\n", k);
  if (MP_OTPWriteEnale() != 1) return 0;
  if (OtpInvalidate(VdEntryAddress(k), kOtpVdEntryBytes) == OtpProgram::kCommandFailed) return 0;
  for (;;) {
    ++k;
    m_iSelBlock = k;
    if (k >= kOtpVdEntries) {
      TraceFail(scope, "MP_OTPReduantVDFlag Exceed 15\n");
      return 0;
    }
    std::uint8_t bytes[kOtpVdEntryBytes] = {};
    if (KobOtpRead(static_cast<std::uint16_t>(VdEntryAddress(k)), kOtpVdEntryBytes, bytes) == 0) return 0;
    // An entry in use holds another block: step over it untouched.
    if (!VdEntry::From(bytes).free) continue;
    if (MP_OTPBlockValid(VdEntryAddress(k))) {
      switch (OtpProgramTable(VdEntryAddress(k), m_abySavedEntry, kOtpVdEntryBytes)) {
        case OtpProgram::kDone: return 1;
        case OtpProgram::kCommandFailed: return 0;
        case OtpProgram::kCellsFailed: TraceWrite(scope, "MP_OTPReduantVDFlag %d Reduant\n", k); break;
      }
    }
    TraceWrite(scope, "MP_OTPReduantVDFlag index %d\n", k);
    if (OtpInvalidate(VdEntryAddress(k), kOtpVdEntryBytes) == OtpProgram::kCommandFailed) return 0;
  }
}

bool CMpFlow_OTP::EccBelongsTo(std::uint8_t flag, std::uint16_t address, const char* exact, const char* inside) {
  TraceScope scope(flag == kVdFlagCode ? "CMpFlow_OTP::MP_OTPECCBelongToVDCode" : "CMpFlow_OTP::MP_OTPECCBelongToVDConfig");
  OtpVdTable vd{};
  if (!ReadVdTable(&vd)) return false;
  for (int k = 0; k < kOtpVdEntries; ++k) {
    const VdEntry e = EntryOf(vd, k);
    if (e.flag != flag || !e.Fits()) continue;
    if (e.address == address) {
      TraceWrite(scope, "%s", exact);
      return true;
    }
    if (e.address < address && address < std::uint32_t{e.address} + e.length) {
      TraceWrite(scope, "%s", inside);
      return true;
    }
  }
  return false;
}

bool CMpFlow_OTP::MP_OTPECCBelongToVDCode(std::uint16_t address) {
  return EccBelongsTo(kVdFlagCode, address, "ECC Exist VD Code 1\n", "ECC Exist VD Code 2\n");
}

bool CMpFlow_OTP::MP_OTPECCBelongToVDConfig(std::uint16_t address) {
  return EccBelongsTo(kVdFlagConfig, address, "ECC Exist VD Config 1\n", "ECC Exist VD Config 2\n");
}

int CMpFlow_OTP::MP_OTPClearECC() {
  TraceScope scope("CMpFlow_OTP::MP_OTPClearECC");
  for (int n = 0; n < kOtpEccSlots - m_uActualECCNum; ++n) {
    const int r = m_abyECCNo[n];
    TraceWrite(scope, "byECCNo is %d\n", r);
    if (MP_OTPWriteEnale() != 1) return 0;
    std::uint8_t bytes[kOtpEccRecordBytes] = {};
    if (KobOtpRead(static_cast<std::uint16_t>(EccRecordAddress(r)), kOtpEccRecordBytes, bytes) == 0) return 0;
    const EccRecord record = EccRecord::From(bytes);
    const bool belongs = g_bOTPCodePart ? MP_OTPECCBelongToVDCode(record.address) : MP_OTPECCBelongToVDConfig(record.address);
    if (belongs && OtpInvalidate(EccRecordAddress(r) + 3, 1) == OtpProgram::kCommandFailed) return 0;
  }
  return 1;
}

int CMpFlow_OTP::RetirePartEntriesBelow(int limit) {
  TraceScope scope(limit == m_iSelBlock ? "CMpFlow_OTP::MP_OTPClearPreVDBlock" : "CMpFlow_OTP::MP_OTPClearPrePreVDBlock");
  OtpVdTable vd{};
  if (!ReadVdTable(&vd)) return 0;
  const std::uint8_t flag = PartFlag();
  // The other pattern over the flag sets the remaining bits: 0x55 | 0xAA = 0xFF.
  const std::uint8_t other = flag == kVdFlagCode ? kVdFlagConfig : kVdFlagCode;
  for (int j = 0; j < limit && j < kOtpVdEntries; ++j) {
    if (EntryOf(vd, j).flag != flag) continue;
    TraceWrite(scope, "Retire VD %d\n", j);
    if (OtpProgramTable(VdEntryAddress(j) + 4, &other, 1) == OtpProgram::kCommandFailed) return 0;
  }
  return 1;
}

int CMpFlow_OTP::MP_OTPClearPreVDBlock() { return RetirePartEntriesBelow(m_iSelBlock); }

int CMpFlow_OTP::MP_OTPClearPrePreVDBlock() { return RetirePartEntriesBelow(m_iPreSelBlock); }

int CMpFlow_OTP::MP_OTPWriteBlockFail(std::uint16_t failAddress, std::uint16_t length) {
  TraceScope scope("CMpFlow_OTP::MP_OTPWriteBlockFail");
  const std::uint32_t start = m_wStartAddr;
  // Consumed: up to the failure's end when it lies inside the block, else the whole block.
  const bool inside = failAddress != kOtpNoAddress && failAddress > start && failAddress <= start + length;
  const auto consumed = static_cast<std::uint16_t>(inside ? failAddress - start : length);
  TraceWrite(scope, "Consumed 0x%x from 0x%x\n", consumed, m_wStartAddr);
  std::uint8_t entry[kOtpVdEntryBytes] = {};
  PutEntry(entry, m_wStartAddr, consumed, kVdFlagRetired);
  return RegisterEntry(entry, false);
}

int CMpFlow_OTP::MP_OTPClearCurECC(std::uint16_t failAddress, std::uint16_t length) {
  TraceScope scope("CMpFlow_OTP::MP_OTPClearCurECC");
  const std::uint32_t start = m_wStartAddr;
  const bool inside = failAddress != kOtpNoAddress && failAddress > start && failAddress <= start + length;
  const std::uint32_t end = inside ? failAddress : start + length;
  OtpEccTable ecc{};
  if (!ReadEccTable(&ecc)) return 0;
  int collected = 0;
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    const EccRecord r = RecordOf(ecc, i);
    if (!r.Valid() || r.address < start || r.address >= end) continue;
    TraceWrite(scope, "byActualECCNum is %d\n", collected++);
    TraceWrite(scope, "i is %d\n", i);
    TraceWrite(scope, "byECCNo is %d\n", i);
    if (MP_OTPWriteEnale() != 1) return 0;
    if (OtpInvalidate(EccRecordAddress(i) + 3, 1) == OtpProgram::kCommandFailed) return 0;
  }
  return 1;
}

int CMpFlow_OTP::MP_OTPFailAction(std::uint16_t length) {
  TraceScope scope("CMpFlow_OTP::MP_OTPFailAction");
  TraceFail(scope, "MP_OTPWrite Fail\n");
  if (!m_bWriteStarted) return 1;
  int result = 1;
  if (MP_OTPWriteBlockFail(m_wCurAddr, length) == 0) {
    TraceFail(scope, "MP_OTPWriteBlock Fail\n");
    result = 0;
  }
  if (MP_OTPClearCurECC(m_wCurAddr, length) == 0) result = 0;
  return result;
}
