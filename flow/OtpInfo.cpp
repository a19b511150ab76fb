#include "flow/OtpInfo.h"

#include "app/AppContext.h"
#include "app/Trace.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"
#include "image/ConfigArea.h"

namespace {

void ClearPublishedBlock() {
  g_bOTPCodePart = false;
  g_pOTPBlock = nullptr;
  g_wOTPBlockLen = 0;
}

// Descriptors of a configuration block behind its leading records.
int ConfigDescriptorCount(const std::vector<std::uint8_t>& block) {
  CConfigArea area;
  area.Load(block);
  int count = 0;
  (void)area.Walk([&](CDescriptor&) {
    ++count;
    return true;
  });
  return count;
}

}  // namespace

int COTPInfo::OTP_ForNormalDownload() {
  TraceScope scope("COTPInfo::OTP_ForNormalDownload");
  BeginOtpOperation();
  std::uint32_t total = 0;
  int blocks = 0;
  for (int part = 0; part < 2; ++part) {
    ClearPublishedBlock();
    const int prepared = OTP_PrepareBlock(part);
    if (prepared == 0) {
      PostOtpError(IDS_GET_VD_CODE_FAIL);
      return 0;
    }
    if (prepared == 1) {
      total += g_wOTPBlockLen;
      ++blocks;
    }
  }
  ClearPublishedBlock();
  if (blocks == 0) {
    TraceFail(scope, "No OTP Block In Image\n");
    PostOtpError(IDS_GET_VD_CODE_FAIL);
    return 0;
  }
  // Both parts fit or neither is written: new code never runs with the old configuration
  // because the configuration found no room.
  if (OTP_CheckSpace(total, blocks) == 0) return 0;
  for (int part = 0; part < 2; ++part) {
    const std::vector<std::uint8_t>& block = m_partBlocks[part];
    if (block.empty()) continue;
    g_bOTPCodePart = part == 0;
    g_pOTPBlock = block.data();
    g_wOTPBlockLen = static_cast<std::uint16_t>(block.size());
    NotifyUi(UM_STATUS, IDS_STEP_DOWNLOAD);
    if (OTP_UpdateEx_Cmd2(g_pOTPBlock, g_wOTPBlockLen) == 0) return 0;
  }
  if ((g_uOpFlags & kOpResetAfter) != 0 && ResetIntoNewCode(0) == 0) {
    TraceFail(scope, "Device ResetToRom Fail\n");
    PostOtpError(IDS_RESET_DEVICE_FAIL);
    return 0;
  }
  return 1;
}

int COTPInfo::OTP_Download() {
  TraceScope scope("COTPInfo::OTP_Download");
  BeginOtpOperation();
  if (RunPreAction() == 0) return 0;
  if (MP_OpenRomDevice() == 0) return 0;
  const int result = OTP_ForNormalDownload();
  if (result != 0) {
    NotifyUi(UM_PROGRESS, 100);
    NotifyUi(UM_SUCCESS, IDS_DOWNLOAD_OTP_SUCCEED);
  }
  ClearPublishedBlock();
  if (App().runMode == kRunModeGui) (void)MP_ShowModeVersion();
  return result;
}

int COTPInfo::OTP_Read() {
  TraceScope scope("COTPInfo::OTP_Read");
  BeginOtpOperation();
  if (MP_OpenRomDevice() == 0) return 0;
  std::vector<std::uint8_t> parts[2];
  const std::uint8_t flags[2] = {kVdFlagCode, kVdFlagConfig};
  for (int part = 0; part < 2; ++part) {
    const std::optional<OtpBlock> block = OtpActiveBlock(flags[part]);
    if (!block) {
      PostOtpError(IDS_READ_OTP_FAIL);
      return 0;
    }
    // A block shorter than its header is no part.
    if (block->entry < 0 || block->length < kOtpHeaderBytes) continue;
    parts[part].assign(block->length, 0);
    if (OTP_ReadEx_Cmd2(block->address, block->length, parts[part].data(), part == 0) == 0 ||
        MP_OTPGetCorrectCodeData(block->address, block->length, parts[part].data()) == 0) {
      TraceFail(scope, "Read OTP Fail\n");
      PostOtpError(IDS_READ_OTP_FAIL);
      return 0;
    }
  }
  std::vector<std::uint8_t>& code = parts[0];
  std::vector<std::uint8_t>& config = parts[1];
  if (code.empty() && config.empty()) {
    TraceFail(scope, "OTP Code Not Exist\n");
    PostOtpError(IDS_OTP_CODE_NOT_EXIST);
    return 0;
  }
  if (!code.empty() && !config.empty()) {
    readBack = code;
    readBack.insert(readBack.end(), config.begin() + kOtpHeaderBytes, config.end());
    readBack[2] = static_cast<std::uint8_t>((config[2] & 0xF8) | 2);
    readBack[3] = static_cast<std::uint8_t>(readBack.size() & 0xFF);
    readBack[4] = static_cast<std::uint8_t>(readBack.size() >> 8);
    readBack[5] = static_cast<std::uint8_t>(ConfigDescriptorCount(config) + 3);
  } else {
    readBack = code.empty() ? config : code;
  }
  return FinishOperation(true, 0, IDS_READ_OTP_SUCCEED);
}

int COTPInfo::Silence_OTPWriteBin(const std::string& path) {
  TraceScope scope("COTPInfo::Silence_OTPWriteBin");
  if (!LoadImageOrReport(scope, path) || !CheckImageForDevice(scope, true)) return 0;
  return OTP_Download();
}

int COTPInfo::Silence_OTPWriteSNBin(const std::string& path, const std::string&) {
  TraceScope scope("COTPInfo::Silence_OTPWriteSNBin");
  if (!LoadImageOrReport(scope, path) || !CheckImageForDevice(scope, true)) return 0;
  return OTP_Download();
}
