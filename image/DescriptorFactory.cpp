#include "image/DescriptorFactory.h"

#include "image/DescCode.h"
#include "image/DescCommon.h"
#include "image/DescQ61.h"
#include "image/DescQ62.h"
#include "image/DescString.h"

namespace {

template <typename T>
std::unique_ptr<CDescriptor> Make() {
  return std::make_unique<T>();
}

std::unique_ptr<CDescriptor> CreateCommon(std::uint8_t type, std::uint8_t chipId, std::uint16_t length) {
  switch (type) {
    case 1: return Make<CDescStringManu>();
    case 2: return Make<CDescStringProd>();
    case 3: return Make<CDescStringSN>();
    case 4: return Make<CDescVIDPID>();
    case 6: return Make<CDescStringUBistName>();
    case 7: return Make<CDescStringIAD>();
    case 15: return Make<CDescCodeInfo>();
    default: break;
  }
  if (type == 47 && length == kLeadingHwapLength) return Make<CDescHWAPVersion>();
  if (length == kLeadingByteLength) {
    if (type == 8) return Make<CDescEEPInfo>();
    if (type == 20 && HasBankCopyInfo(chipId)) return Make<CDescBankCopyInfo>();
    if (type == 21) return Make<CDescForceUpdateInfo>();
  }
  return nullptr;
}

std::unique_ptr<CDescriptor> CreateQ61(std::uint8_t type) {
  switch (type) {
    case 8: return Make<CDescI2S0_Q61>();
    case 9: return Make<CDescI2S0Channel>();
    case 10: return Make<CDescI2S1_Q61>();
    case 11: return Make<CDescI2S1Channel>();
    case 12: return Make<CDescI2SCodec0Setting>();
    case 16: return Make<CDescI2SCodec1Setting>();
    case 27: return Make<CDescI2SCodecCommonSetting>();
    case 28: return Make<CDescI2SCodecStartInSetting>();
    case 29: return Make<CDescI2SCodecCloseInSetting>();
    case 30: return Make<CDescI2SCodecStartOutSetting>();
    case 31: return Make<CDescI2SCodecCloseOutSetting>();
    case 32: return Make<CDescI2SCodecCloseAllSetting>();
    case 33: return Make<CDescI2SCodecSuspendSetting>();
    case 47: return Make<CDescEndPointType>();
    case 48: return Make<CDescI2SEPAVolumeSetting>();
    case 49: return Make<CDescI2SEPBVolumeSetting>();
    case 50: return Make<CDescI2SEPCVolumeSetting>();
    case 51: return Make<CDescI2SEPDVolumeSetting>();
    case 52: return Make<CDescI2SEPGVolumeSetting>();
    case 53: return Make<CDescI2SEPHVolumeSetting>();
    case 54: return Make<CDescI2SEPIVolumeSetting>();
    case 55: return Make<CDescI2SEPJVolumeSetting>();
    case 56: return Make<CDescI2SCodec0InMuteSetting>();
    case 57: return Make<CDescI2SCodec0OutMuteSetting>();
    case 58: return Make<CDescI2SCodec1MuteSetting>();
    default: return nullptr;
  }
}

std::unique_ptr<CDescriptor> CreateQ62(std::uint8_t type) {
  switch (type) {
    case 14: return Make<CDescSLB>();
    case 39: return Make<CDescSmallCachecode>();
    case 64: return Make<CDescUACTop>();
    case 65: return Make<CDescEPAInfo>();
    case 66: return Make<CDescEPBInfo>();
    case 67: return Make<CDescEPCInfo>();
    case 68: return Make<CDescEPGInfo>();
    case 69: return Make<CDescEPHInfo>();
    case 70: return Make<CDescEPIInfo>();
    case 71: return Make<CDescInterCodecInfo>();
    case 72: return Make<CDescInterSPDIFInfo>();
    case 73: return Make<CDescInterUartInfo>();
    case 74: return Make<CDescGPIODrivingInfo>();
    default: return nullptr;
  }
}

}  // namespace

std::unique_ptr<CDescriptor> CreateDescriptor(std::uint8_t type, std::uint8_t chipId, std::uint16_t length) {
  std::unique_ptr<CDescriptor> obj = CreateCommon(type, chipId, length);
  if (!obj && chipId == 17) obj = CreateQ61(type);
  if (!obj && (chipId == 21 || chipId == 24)) obj = CreateQ62(type);
  if (!obj) obj = std::make_unique<CDescDummy>();
  return obj;
}
