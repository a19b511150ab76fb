#include "flow/MpFlowCustomize.h"

#include "app/Trace.h"

bool CMpFlow_Customize::ReadVdTable(OtpVdTable* table) {
  return KobOtpRead(static_cast<std::uint16_t>(kOtpVdTable), kOtpVdTableBytes, table->data()) != 0;
}

bool CMpFlow_Customize::ReadEccTable(OtpEccTable* table) {
  return KobOtpRead(static_cast<std::uint16_t>(kOtpEccTable), kOtpEccTableBytes, table->data()) != 0;
}

bool CMpFlow_Customize::RecordPointsInto(const OtpEccTable& table, std::uint32_t entryAddress) {
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    if (RecordOf(table, i).PointsInto(entryAddress)) return true;
  }
  return false;
}

bool CMpFlow_Customize::MP_OTPBlockValid(std::uint32_t entryAddress) {
  TraceScope scope("CMpFlow_Customize::MP_OTPBlockValid");
  std::uint8_t e[kOtpVdEntryBytes] = {};
  OtpEccTable ecc{};
  if (KobOtpRead(static_cast<std::uint16_t>(entryAddress), kOtpVdEntryBytes, e) == 0 || !ReadEccTable(&ecc)) {
    TraceFail(scope, "Read OTP Table Fail\n");
    return false;
  }
  TraceWrite(scope, "0x%x 0x%x 0x%x 0x%x 0x%x\n", e[0], e[1], e[2], e[3], e[4]);
  for (int i = 1; i <= kOtpEccRecords; ++i) {
    const EccRecord r = RecordOf(ecc, i);
    TraceWrite(scope, "ECC Data 0x%x  %d %d\n", r.address, r.value, r.marker);
  }
  return !RecordPointsInto(ecc, entryAddress);
}

std::optional<int> CMpFlow_Customize::MP_OTPGetFreeVDNum() {
  OtpVdTable vd{};
  if (!ReadVdTable(&vd)) return std::nullopt;
  for (int k = kOtpVdEntries - 1; k >= 0; --k) {
    if (EntryOf(vd, k).InUse()) return kOtpVdEntries - 1 - k;
  }
  return kOtpVdEntries;
}

int CMpFlow_Customize::MP_OTPFindLastValidEntry() {
  OtpVdTable vd{};
  OtpEccTable ecc{};
  if (!ReadVdTable(&vd) || !ReadEccTable(&ecc)) return 0;
  for (int k = kOtpVdEntries - 1; k >= 0; --k) {
    if (EntryOf(vd, k).flag != 0 && !RecordPointsInto(ecc, VdEntryAddress(k))) return k;
  }
  return 0;
}

std::optional<OtpBlock> CMpFlow_Customize::OtpLastBlock() {
  OtpVdTable vd{};
  OtpEccTable ecc{};
  if (!ReadVdTable(&vd) || !ReadEccTable(&ecc)) return std::nullopt;
  // The block that ends last; in an intact table that is the highest entry's.
  OtpBlock last;
  for (int k = kOtpVdEntries - 1; k >= 0; --k) {
    const VdEntry e = EntryOf(vd, k);
    if (!e.InUse() || !e.Fits() || RecordPointsInto(ecc, VdEntryAddress(k))) continue;
    if (last.entry >= 0 && std::uint32_t{e.address} + e.length <= std::uint32_t{last.address} + last.length) continue;
    last = OtpBlock{k, e.address, e.length};
  }
  return last;
}

std::optional<OtpBlock> CMpFlow_Customize::OtpActiveBlock(std::uint8_t flag) {
  OtpVdTable vd{};
  OtpEccTable ecc{};
  if (!ReadVdTable(&vd) || !ReadEccTable(&ecc)) return std::nullopt;
  for (int k = kOtpVdEntries - 1; k >= 0; --k) {
    const VdEntry e = EntryOf(vd, k);
    if (e.flag == flag && e.Fits() && !RecordPointsInto(ecc, VdEntryAddress(k))) return OtpBlock{k, e.address, e.length};
  }
  return OtpBlock{};
}

OtpProgram CMpFlow_Customize::OtpProgramTable(std::uint32_t address, const std::uint8_t* bytes, std::uint16_t length) {
  if (KobOtpWrite(static_cast<std::uint16_t>(address), kOtpTableMode, length, bytes) == 0) return OtpProgram::kCommandFailed;
  std::uint16_t failed[kOtpReportAddresses] = {};
  int listed = 0;
  const std::optional<int> count = OtpFailReport(failed, &listed);
  if (!count) return OtpProgram::kCommandFailed;
  return *count == 0 ? OtpProgram::kDone : OtpProgram::kCellsFailed;
}

OtpProgram CMpFlow_Customize::OtpInvalidate(std::uint32_t address, std::uint16_t length) {
  std::uint8_t bytes[kOtpVdEntryBytes] = {};
  if (length > kOtpVdEntryBytes || KobOtpRead(static_cast<std::uint16_t>(address), length, bytes) == 0) {
    return OtpProgram::kCommandFailed;
  }
  for (std::uint16_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(~bytes[i]);
  return OtpProgramTable(address, bytes, length);
}

std::optional<int> CMpFlow_Customize::OtpFailReport(std::uint16_t (&addresses)[kOtpReportAddresses], int* listed) {
  std::uint8_t report[kOtpReportBytes] = {};
  if (KobOtpFailReport(report) == 0) return std::nullopt;
  const int count = report[0];
  *listed = count < kOtpReportAddresses ? count : kOtpReportAddresses;
  for (int j = 0; j < *listed; ++j) {
    addresses[j] = static_cast<std::uint16_t>((report[1 + 2 * j] << 8) | report[2 + 2 * j]);
  }
  return count;
}
