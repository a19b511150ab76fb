// Placing one block: free entry, previous block, start address, repair budget, then the
// chunked write and the repairs.
#include <algorithm>

#include "app/Trace.h"
#include "flow/NotifyUi.h"
#include "flow/OtpFlow.h"
#include "flow/StopFlag.h"
#include "flow/TextIds.h"

void CMpFlow_OTP::PostOtpError(int id) {
  if (m_bOtpErrorPosted) return;
  m_bOtpErrorPosted = true;
  NotifyUi(UM_ERROR, static_cast<std::uintptr_t>(id));
}

int CMpFlow_OTP::MP_CheckVDNUM() {
  TraceScope scope("CMpFlow_OTP::MP_CheckVDNUM");
  if (!ReadVdTable(&m_vdTable)) {
    TraceFail(scope, "Read VD Table Fail\n");
    PostOtpError(IDS_READ_OTP_FAIL);
    return 0;
  }
  m_uVDFlagNum = 0;
  for (int k = 0; k < kOtpVdEntries; ++k) {
    if (EntryOf(m_vdTable, k).free) ++m_uVDFlagNum;
  }
  TraceWrite(scope, "m_uVDFLagNum is %d\n", m_uVDFlagNum);
  if (m_uVDFlagNum == 0) {
    TraceFail(scope, "0 == m_uVDFlagNum\n");
    PostOtpError(IDS_NOT_ENOUGH_VD_BLOCK);
    return 0;
  }
  return 1;
}

int CMpFlow_OTP::MP_OTPBlockValidAndSet(std::uint32_t entryAddress, int k) {
  TraceScope scope("CMpFlow_OTP::MP_OTPBlockValidAndSet");
  OtpEccTable ecc{};
  if (!ReadEccTable(&ecc)) return -1;
  int result = 1;
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    const EccRecord r = RecordOf(ecc, i);
    if (!r.Valid() || !r.PointsInto(entryAddress)) continue;
    // The record would rewrite the entry at boot: the entry and the record both go.
    result = 0;
    TraceWrite(scope, "ECC %d points into VD entry %d\n", i, k);
    const int enabled = MP_OTPWriteEnale();
    if (enabled != 1) return enabled == 0 ? -2 : -1;
    if (OtpInvalidate(VdEntryAddress(k) + 4, 1) == OtpProgram::kCommandFailed) return -1;
    if (OtpInvalidate(EccRecordAddress(i) + 3, 1) == OtpProgram::kCommandFailed) return -1;
  }
  return result;
}

int CMpFlow_OTP::MP_CheckVDInfo(std::uint16_t length) {
  TraceScope scope("CMpFlow_OTP::MP_CheckVDInfo");
  m_iPreSelBlock = MP_OTPFindLastValidEntry();
  if (!ReadVdTable(&m_vdTable)) {
    PostOtpError(IDS_READ_OTP_FAIL);
    return 0;
  }
  // The new entry goes above every entry that is not free: the chip boots the highest entry of
  // a part, and a free entry below one in use (a table damaged or written elsewhere) would
  // leave an older block current, or have the new one retired as superseded.
  int lowest = 0;
  for (int j = 0; j < kOtpVdEntries; ++j) {
    if (!EntryOf(m_vdTable, j).free) lowest = j + 1;
  }
  int k = 0;
  for (; k < kOtpVdEntries; ++k) {
    const std::uint8_t* e = &m_vdTable[kOtpVdEntryBytes * static_cast<std::size_t>(k)];
    TraceWrite(scope, "MP_CheckVDInfo 0x%x 0x%x 0x%x 0x%x 0x%x\n", e[0], e[1], e[2], e[3], e[4]);
    // Only a free entry may be tested (and invalidated when a record points into it): an entry
    // in use holds a block.
    if (k < lowest || !EntryOf(m_vdTable, k).free) continue;
    const int valid = MP_OTPBlockValidAndSet(VdEntryAddress(k), k);
    if (valid < 0) {
      TraceFail(scope, "Write VD Table Fail\n");
      PostOtpError(valid == -2 ? IDS_OTP_LOCKED : IDS_WRITE_OTP_FAIL);
      return 0;
    }
    if (valid == 1) break;
  }
  if (k == kOtpVdEntries) {
    TraceWrite(scope, "value i is %d\n", k);
    TraceFail(scope, "Not Find Sel Block\n");
    PostOtpError(IDS_NOT_FIND_VD_BLOCK);
    return 0;
  }
  std::uint16_t prevAddr = 0, prevLen = 0;
  if (k == 0) {
    TraceWrite(scope, "VD Flag Initial\n");
  } else {
    // The block to append to is the one that ends last: in an intact table the highest
    // entry's, and never one that would put the new block over another recorded block.
    int found = -1;
    for (int j = k - 1; j >= 0; --j) {
      const VdEntry e = EntryOf(m_vdTable, j);
      // An entry that names no block of the data area is no previous block.
      if (e.flag == 0 || !e.Fits()) continue;
      if (found >= 0 && std::uint32_t{e.address} + e.length <= std::uint32_t{prevAddr} + prevLen) continue;
      if (!MP_OTPBlockValid(VdEntryAddress(j))) continue;
      found = j;
      prevAddr = e.address;
      prevLen = e.length;
    }
    if (found >= 0) {
      TraceWrite(scope, "Find VD Flag %d\n", found);
    } else {
      TraceWrite(scope, "VD Flag Second\n");
    }
  }
  m_iSelBlock = k;
  TraceWrite(scope,
             "Contion byFlag 0x%x byVDAddrH 0x%x byVDAddrL 0x%x byVDLenH 0x%x byVDLenL 0x%x m_iSelBlock %d\n", 0,
             prevAddr >> 8, prevAddr & 0xFF, prevLen >> 8, prevLen & 0xFF, m_iSelBlock);
  TraceWrite(scope, "m_iPreSelBlock is %d\n", m_iPreSelBlock);
  TraceWrite(scope, "value i is %d\n", k);
  TraceWrite(scope, "Find Sel Block\n");
  TraceWrite(scope, "CheckVDInfo 0x%x  %d\n", prevAddr, prevLen);
  m_wPrevAddr = prevAddr;
  m_wPrevLen = prevLen;
  if (std::uint32_t{length} + prevLen + prevAddr > kOtpDataEnd) {
    TraceFail(scope, "Exceed Code Length\n");
    m_iSelBlock = m_iPreSelBlock;
    PostOtpError(IDS_CODE_EXCEED_MAX_LENGTH);
    return 0;
  }
  return 1;
}

int CMpFlow_OTP::MP_CheckOTPWriteInValid(std::uint16_t start) {
  TraceScope scope("CMpFlow_OTP::MP_CheckOTPWriteInValid");
  if (start >= kOtpDataEnd) return 1;
  const auto n = static_cast<std::uint16_t>(std::min<std::uint32_t>(256, kOtpDataEnd - start));
  std::uint8_t bytes[256] = {};
  if (KobOtpRead(start, n, bytes) == 0) return -1;
  for (std::uint32_t i = 0; i + 7 < n; ++i) {
    if (std::all_of(bytes + i, bytes + i + 8, [](std::uint8_t b) { return b != 0; })) {
      TraceWrite(scope, "OTP wAddr 0x%x abnormal\n", start + i);
      return 0;
    }
  }
  return 1;
}

int CMpFlow_OTP::MP_OTPWrite(std::uint16_t length, const std::uint8_t* data) {
  TraceScope scope("CMpFlow_OTP::MP_OTPWrite");
  // The block as it must read back (repairs of reserved cells take their values from it).
  m_blockCopy.assign(data, data + length);
  m_uTotalErrorNum = 0;
  m_wCurAddr = kOtpNoAddress;
  m_bWriteStarted = false;
  if (MP_CheckVDNUM() == 0) return 0;
  if (MP_CheckVDInfo(length) == 0) return 0;
  m_wStartAddr = static_cast<std::uint16_t>(m_wPrevAddr + m_wPrevLen);
  const int normal = MP_CheckOTPWriteInValid(m_wStartAddr);
  if (normal < 0) {
    PostOtpError(IDS_READ_OTP_FAIL);
    return 0;
  }
  if (normal == 0) {
    TraceFail(scope, "Last OTP Write Operation Abnomal\n");
    PostOtpError(IDS_LAST_OTP_WRITE_ABNORMAL);
    return 0;
  }
  TraceWrite(scope, "wStartAddr is 0x%x\n", m_wStartAddr);
  TraceWrite(scope, "wTotalLen  is 0x%x\n", 0);
  TraceWrite(scope, "wLen  is 0x%x\n", length);
  MP_OTPInit();
  if (MP_OTPGetTotalErrorNum(m_wStartAddr, length) == 0) {
    PostOtpError(IDS_READ_OTP_FAIL);
    return 0;
  }
  m_uExecECCNum = std::max(0, std::min(m_uVirtualECCNum, kOtpEccSlots - m_uSubECCNum));
  if (m_uExecECCNum == 0) TraceWrite(scope, "0 == m_uExecECCNum\n");
  // Every reserved record inside the block costs one repair: refuse before writing when they
  // alone exceed what this write may repair.
  int reserved = 0;
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    const EccRecord r = RecordOf(m_eccTable, i);
    if (r.Reserved() && r.address >= m_wStartAddr && r.address < std::uint32_t{m_wStartAddr} + length) ++reserved;
  }
  if (reserved > m_uExecECCNum) {
    TraceFail(scope, "Reserved ECC %d Exceed m_uExecECCNum %d\n", reserved, m_uExecECCNum);
    PostOtpError(IDS_NOT_ENOUGH_ECC_NUM);
    return 0;
  }
  std::vector<std::uint8_t> bytes(data, data + length);
  if (MP_OTPConvertBinaryData(m_wStartAddr, length, bytes.data()) == 0) {
    TraceFail(scope, "MP_OTPConvertBinaryData Fail\n");
    PostOtpError(IDS_READ_OTP_FAIL);
    return 0;
  }
  NotifyUi(UM_STATUS, IDS_STEP_DOWNLOAD);
  if (length == 0) {
    TraceFail(scope, "MP_OTPWriteWithRetry Fail 0x%x\n", m_wStartAddr);
    PostOtpError(IDS_WRITE_OTP_FAIL);
    return 0;
  }
  for (std::uint32_t done = 0; done < length;) {
    const auto chunk = static_cast<std::uint16_t>(std::min<std::uint32_t>(kOtpChunkBytes, length - done));
    const auto address = static_cast<std::uint16_t>(m_wStartAddr + done);
    if (IsStopRequested()) {
      // What was sent so far is consumed.
      if (done > 0) m_wCurAddr = address;
      return 0;
    }
    m_bWriteStarted = true;
    if (MP_OTPWriteWithRetry(address, chunk, static_cast<std::uint16_t>(m_uExecECCNum), bytes.data() + done) == 0) {
      // The chunk may have programmed anything up to its end.
      m_wCurAddr = static_cast<std::uint16_t>(address + chunk);
      TraceFail(scope, "MP_OTPWriteWithRetry Fail 0x%x\n", address);
      return 0;
    }
    done += chunk;
    if (g_bOTPCodePart) NotifyUi(UM_PROGRESS, 10 + 80ull * done / length);
  }
  m_wCurAddr = kOtpNoAddress;
  const int result = MP_OTPReduant();
  if (result == 0) TraceFail(scope, "MP_OTPReduant Fail\n");
  return result;
}
