// The repair budget of one block write: the ECC slots, the records of the blocks below, the
// reserved records inside and beyond the block, and the reserved cells' data prepared for
// their repair.
#include <algorithm>

#include "app/Trace.h"
#include "flow/OtpFlow.h"

int CMpFlow_OTP::FreeSlot() const {
  for (int s = 0; s < kOtpEccSlots; ++s) {
    if (!m_abFailFlag[s]) return s;
  }
  return -1;
}

bool CMpFlow_OTP::InSlot(std::uint16_t address) const {
  for (int s = 0; s < kOtpEccSlots; ++s) {
    if (m_abFailFlag[s] && m_wFailAddr[s] == address) return true;
  }
  return false;
}

void CMpFlow_OTP::MP_OTPInit() {
  std::fill(std::begin(m_wFailAddr), std::end(m_wFailAddr), kOtpNoAddress);
  std::fill(std::begin(m_byFailValue), std::end(m_byFailValue), 0);
  std::fill(std::begin(m_abFailFlag), std::end(m_abFailFlag), false);
  std::fill(std::begin(m_abyECCNo), std::end(m_abyECCNo), 0);
}

int CMpFlow_OTP::MP_OTPGetTotalErrorNum(std::uint16_t start, std::uint16_t length) {
  TraceScope scope("CMpFlow_OTP::MP_OTPGetTotalErrorNum");
  if (!ReadEccTable(&m_eccTable)) return 0;
  m_uActualECCNum = kOtpEccSlots;
  m_uVirtualECCNum = 0;
  m_uSubECCNum = 0;
  const std::uint32_t end = std::uint32_t{start} + length;
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    const EccRecord r = RecordOf(m_eccTable, i);
    TraceWrite(scope, "ECC Data 0x%x  %d %d\n", r.address, r.value, r.marker);
    if (r.Valid() && r.address < start) {
      // A record of a block below this one: retired with that block later.
      if (m_uActualECCNum > 0) {
        TraceWrite(scope, "m_uActualECCNum is %d\n", m_uActualECCNum);
        TraceWrite(scope, "i is %d\n", i);
        TraceWrite(scope, r.value != 0 ? "--------\n" : "----\n");
        m_abyECCNo[kOtpEccSlots - m_uActualECCNum] = static_cast<std::uint8_t>(i);
        --m_uActualECCNum;
      }
    } else if (r.Reserved() && r.address < end) {
      ++m_uVirtualECCNum;
    } else if (r.Reserved() && r.address < kOtpDataEnd) {
      ++m_uSubECCNum;
    } else if (r.Free()) {
      ++m_uVirtualECCNum;
    }
  }
  TraceWrite(scope, "m_uActualECCNum is %d m_uVirtualECCNum is %d m_uSubECCNum %d\n", m_uActualECCNum,
             m_uVirtualECCNum, m_uSubECCNum);
  return 1;
}

int CMpFlow_OTP::MP_OTPReduceErrNum(std::uint16_t address, std::uint8_t value) {
  TraceScope scope("CMpFlow_OTP::MP_OTPReduceErrNum");
  TraceWrite(scope, "Before m_uExecECCNum is %d\n", m_uExecECCNum);
  TraceWrite(scope, "Before m_uTotalErrorNum is %d\n", m_uTotalErrorNum);
  const int s = FreeSlot();
  if (s < 0 || m_uExecECCNum <= 0) return 0;
  --m_uExecECCNum;
  ++m_uTotalErrorNum;
  TraceWrite(scope, "After m_uExecECCNum is %d\n", m_uExecECCNum);
  TraceWrite(scope, "After m_uTotalErrorNum is %d\n", m_uTotalErrorNum);
  m_wFailAddr[s] = address;
  m_byFailValue[s] = value;
  m_abFailFlag[s] = true;
  TraceWrite(scope, "index i is %d\n", s);
  TraceWrite(scope, "index j is %d\n", 1);
  TraceWrite(scope, "Record ECC m_wFailAddr 0x%04x m_byFailValue 0x%02x\n", address, value);
  return 1;
}

std::uint8_t CMpFlow_OTP::MP_ChangeBinaryData(std::uint8_t otpData, std::uint8_t binaryData, std::uint16_t address) {
  TraceScope scope("CMpFlow_OTP::MP_ChangeBinaryData");
  TraceWrite(scope, "byBinaryData is 0x%02x byOTPData is 0x%02x\n", binaryData, otpData);
  std::uint8_t value = binaryData;
  for (int bit = 0; bit < 8; ++bit) {
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    if ((otpData & mask) == 0) continue;
    TraceWrite(scope, "byTestBit TRUE\n");
    value = static_cast<std::uint8_t>(value & ~mask);
  }
  (void)MP_OTPReduceErrNum(address, binaryData);
  TraceWrite(scope, "byBinaryData is 0x%02x\n", value);
  return value;
}

int CMpFlow_OTP::MP_OTPConvertBinaryData(std::uint16_t start, std::uint16_t length, std::uint8_t* data) {
  TraceScope scope("CMpFlow_OTP::MP_OTPConvertBinaryData");
  OtpEccTable ecc{};
  if (!ReadEccTable(&ecc)) return 0;
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    const EccRecord r = RecordOf(ecc, i);
    if (!r.Reserved() || r.address < start || r.address >= std::uint32_t{start} + length) continue;
    // Two reserved records for one address need one repair.
    if (InSlot(r.address)) continue;
    TraceWrite(scope, "ErrAddr 0x%04x\n", r.address);
    std::uint8_t otp = 0;
    if (KobOtpRead(r.address, 1, &otp) == 0) return 0;
    std::uint8_t& d = data[r.address - start];
    d = MP_ChangeBinaryData(otp, d, r.address);
    // The budget was checked before: a repair that found no slot is a fault, not a pass.
    if (!InSlot(r.address)) return 0;
    TraceWrite(scope, "Change Data\n");
  }
  return 1;
}

