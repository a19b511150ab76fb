// Failed cells: the program-fail report after every chunk, the ECC slots that remember what
// each failed cell should hold, and the ECC records written for them.
#include <algorithm>

#include "app/Trace.h"
#include "flow/NotifyUi.h"
#include "flow/OtpFlow.h"
#include "flow/TextIds.h"

namespace {
// A record that fails to program is retired and another one taken; never more often than the
// table has records.
constexpr int kRecordAttempts = kOtpEccRecords;
}  // namespace

int CMpFlow_OTP::MP_OTPWriteEnale() {
  TraceScope scope("CMpFlow_OTP::MP_OTPWriteEnale");
  // The register read takes longer than the microsecond the fuse needs to settle.
  std::uint8_t lock = 0;
  if (ReadByte(kOtpLockRegister, &lock) == 0) {
    TraceFail(scope, "Read Lock Register Fail\n");
    return -1;
  }
  if ((lock & kOtpLockBit) != 0) {
    TraceWrite(scope, "Lock\n");
    return 0;
  }
  TraceWrite(scope, "Not Lock\n");
  return 1;
}

int CMpFlow_OTP::MP_OTPWriteWithRetry(std::uint16_t address, std::uint16_t length, std::uint16_t mode,
                                      const std::uint8_t* data) {
  TraceScope scope("CMpFlow_OTP::MP_OTPWriteWithRetry");
  const int enabled = MP_OTPWriteEnale();
  if (enabled != 1) {
    PostOtpError(enabled == 0 ? IDS_OTP_LOCKED : IDS_WRITE_OTP_FAIL);
    return 0;
  }
  if (KobOtpWrite(address, mode, length, data) == 0) {
    TraceFail(scope, "OTP_Write Fail 0x%x\n", address);
    PostOtpError(IDS_WRITE_OTP_FAIL);
    return 0;
  }
  return MP_OTPAnalyzeECC(address, length, data);
}

int CMpFlow_OTP::MP_OTPAnalyzeECC(std::uint16_t address, std::uint16_t length, const std::uint8_t* data) {
  TraceScope scope("CMpFlow_OTP::MP_OTPAnalyzeECC");
  const auto chunkEnd = static_cast<std::uint16_t>(address + length);
  std::uint16_t failed[kOtpReportAddresses] = {};
  int listed = 0;
  const std::optional<int> count = OtpFailReport(failed, &listed);
  if (!count) {
    TraceFail(scope, "OTP_ReadProgramFailAdr Fail\n");
    PostOtpError(IDS_WRITE_OTP_FAIL);
    return 0;
  }
  m_uCurErrorNum = *count;
  TraceWrite(scope, "Before m_uCurErrorNum is %d\n", m_uCurErrorNum);
  // A cell already in a slot (a reserved record of this block) failed again: no new repair.
  for (int s = 0; s < kOtpEccSlots; ++s) {
    if (!m_abFailFlag[s]) continue;
    if (std::find(failed, failed + listed, m_wFailAddr[s]) != failed + listed) {
      TraceWrite(scope, "Reduant Addr Again\n");
      --m_uCurErrorNum;
    }
  }
  TraceWrite(scope, "After m_uCurErrorNum is %d\n", m_uCurErrorNum);
  if (m_uCurErrorNum <= 0) {
    TraceWrite(scope, "No Error Num\n");
    return 1;
  }
  if (m_uCurErrorNum > m_uExecECCNum) {
    // Only the addresses of the report are known: the whole chunk counts as consumed.
    m_wCurAddr = chunkEnd;
    TraceFail(scope, "m_uCurErrorNum > m_uExecECCNum\n");
    TraceWrite(scope, "m_wCurAddr is 0x%x\n", m_wCurAddr);
    PostOtpError(IDS_ERROR_NUM_EXCEED_8);
    return 0;
  }
  TraceWrite(scope, "Before m_uExecECCNum is %d\n", m_uExecECCNum);
  TraceWrite(scope, "Before m_uTotalErrorNum is %d\n", m_uTotalErrorNum);
  m_uExecECCNum -= m_uCurErrorNum;
  m_uTotalErrorNum += m_uCurErrorNum;
  TraceWrite(scope, "After m_uExecECCNum is %d\n", m_uExecECCNum);
  TraceWrite(scope, "After m_uTotalErrorNum is %d\n", m_uTotalErrorNum);
  for (int j = 0; j < listed && m_uCurErrorNum > 0; ++j) {
    const std::uint16_t a = failed[j];
    if (InSlot(a)) continue;
    const int s = FreeSlot();
    TraceWrite(scope, "index i is %d\n", s);
    TraceWrite(scope, "index j is %d\n", j + 1);
    // Only a cell of this chunk has a target byte; anything else is a report that cannot be
    // trusted.
    if (s < 0 || a < address || a >= chunkEnd) {
      TraceFail(scope, "Invalid Addr\n");
      m_wCurAddr = chunkEnd;
      PostOtpError(IDS_FAIL_ADDRESS);
      return 0;
    }
    m_wFailAddr[s] = a;
    m_byFailValue[s] = data[a - address];
    m_abFailFlag[s] = true;
    TraceWrite(scope, "Record ECC m_wFailAddr 0x%04x m_byFailValue 0x%02x\n", a, m_byFailValue[s]);
    --m_uCurErrorNum;
  }
  if (m_uCurErrorNum > 0) {
    // More failures than the report lists addresses for.
    m_wCurAddr = chunkEnd;
    TraceFail(scope, "m_uCurErrorNum > m_uExecECCNum\n");
    PostOtpError(IDS_ERROR_NUM_EXCEED_8);
    return 0;
  }
  return 1;
}

int CMpFlow_OTP::MP_OTPReduantDetail(std::uint16_t address, std::uint8_t value) {
  TraceScope scope("CMpFlow_OTP::MP_OTPReduantDetail");
  OtpEccTable ecc{};
  if (!ReadEccTable(&ecc)) return 2;
  const int enabled = MP_OTPWriteEnale();
  if (enabled == 0) {
    PostOtpError(IDS_OTP_LOCKED);
    return 3;
  }
  if (enabled < 0) return 2;
  int reserved = 0, free = 0;
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    const EccRecord r = RecordOf(ecc, i);
    TraceWrite(scope, "ECC Data 0x%x  %d %d\n", r.address, r.value, r.marker);
    if (reserved == 0 && r.Reserved() && r.address == address) reserved = i;
    if (free == 0 && r.Free()) free = i;
  }
  // The address's own reserved record first, wherever it lies in the table.
  const int i = reserved != 0 ? reserved : free;
  if (i == 0) {
    TraceFail(scope, "No Free ECC Record\n");
    return 2;
  }
  std::uint8_t byte = value;
  if (reserved != 0) {
    const std::uint32_t offset = address - std::uint32_t{m_wStartAddr};
    if (address < m_wStartAddr || offset >= m_blockCopy.size()) return 2;
    byte = m_blockCopy[offset];
    TraceWrite(scope, "Write ECC Condition 1 %d byValue %d\n", i, byte);
  } else {
    TraceWrite(scope, "Write ECC Condition 2 %d byValue %d\n", i, byte);
  }
  const std::uint8_t record[kOtpEccRecordBytes] = {static_cast<std::uint8_t>(address >> 8),
                                                   static_cast<std::uint8_t>(address & 0xFF), byte, kEccMarkerValid};
  switch (OtpProgramTable(EccRecordAddress(i), record, kOtpEccRecordBytes)) {
    case OtpProgram::kDone: TraceWrite(scope, "Success\n"); return 0;
    case OtpProgram::kCellsFailed:
      TraceWrite(scope, "Fail HW Error\n");
      if (OtpInvalidate(EccRecordAddress(i) + 3, 1) == OtpProgram::kCommandFailed) return 2;
      return 1;
    case OtpProgram::kCommandFailed: break;
  }
  TraceFail(scope, "Write ECC Record Fail\n");
  return 2;
}

int CMpFlow_OTP::MP_OTPReduant() {
  TraceScope scope("CMpFlow_OTP::MP_OTPReduant");
  int result = 1;
  int s = 0;
  int attempts = 0;
  TraceWrite(scope, "index is %d\n", s);
  for (;;) {
    if (m_abFailFlag[s]) {
      TraceWrite(scope, "wErrAddr is 0x%x, byValue is %d\n", m_wFailAddr[s], m_byFailValue[s]);
      const int r = MP_OTPReduantDetail(m_wFailAddr[s], m_byFailValue[s]);
      if (r == 0) {
        TraceWrite(scope, "MP_OTPReduantDetail Success\n");
        --m_uVirtualECCNum;
        --m_uTotalErrorNum;
        ++s;
        attempts = 0;
      } else if (r == 1 && ++attempts < kRecordAttempts) {
        TraceWrite(scope, "MP_OTPReduantDetail Fail Extern\n");
        --m_uVirtualECCNum;
      } else if (r == 3) {
        result = 0;
        break;
      } else {
        TraceFail(scope, "MP_OTPReduant Fail\n");
        PostOtpError(IDS_REDUANT_FAIL);
        result = 0;
        break;
      }
      if (m_uTotalErrorNum <= 0) {
        TraceWrite(scope, "m_uCurErrorNum become zero\n");
        result = 1;
        break;
      }
      if (m_uVirtualECCNum < m_uTotalErrorNum || m_uVirtualECCNum <= 0) {
        TraceFail(scope, "m_uVirtualECCNum lower m_uCurErrorNum\n");
        PostOtpError(IDS_ECC_NUM_LOWER_THAN_ERROR_NUM);
        result = 0;
        break;
      }
    } else {
      ++s;
    }
    TraceWrite(scope, "index is %d\n", s);
    if (s > kOtpEccSlots - 1) {
      TraceWrite(scope, "FailFlag Exceed 7 Condition2\n");
      break;
    }
  }
  return result;
}

int CMpFlow_OTP::MP_OTPGetCorrectCodeData(std::uint16_t start, std::uint16_t length, std::uint8_t* buffer) {
  TraceScope scope("CMpFlow_OTP::MP_OTPGetCorrectCodeData", 0);
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    std::uint8_t bytes[kOtpEccRecordBytes] = {};
    if (KobOtpRead(static_cast<std::uint16_t>(EccRecordAddress(i)), kOtpEccRecordBytes, bytes) == 0) return 0;
    const EccRecord r = EccRecord::From(bytes);
    if (r.Valid() && r.address >= start && r.address < std::uint32_t{start} + length) buffer[r.address - start] = r.value;
  }
  return 1;
}
