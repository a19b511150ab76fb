#include "flow/MemoryObject.h"

#include <memory>
#include <string>
#include <utility>

#include "app/AppContext.h"
#include "flow/EepromInfo.h"
#include "flow/OtpInfo.h"
#include "flow/SpiFlashInfo.h"

namespace {

std::unique_ptr<CDevFlow> MakeObject(std::uint8_t memoryType, std::uint8_t busType) {
  if (busType != kBusUsb) return nullptr;
  switch (memoryType) {
    case kMemorySerialFlash: return std::make_unique<CSPIFlashInfo_USB>();
    case kMemoryEeprom8: return std::make_unique<CEepromInfo8_USB>();
    case kMemoryEeprom16: return std::make_unique<CEepromInfo16_USB>();
    case kMemoryOtp: return std::make_unique<COTPInfo_USB>();
    default: return nullptr;
  }
}

}  // namespace

void CreateMemoryObject(std::uint8_t memoryType, std::uint8_t busType) {
  AppContext& app = App();
  std::unique_ptr<CDevFlow> old(app.flow);
  app.flow = nullptr;
  CMpConfig saved;
  if (old) {
    old->imageBytes.clear();
    old->workBytes.clear();
    old->copyBytes.clear();
    old->thirdBytes.clear();
    old->imageLength = old->workLength = old->copyLength = old->thirdLength = 0;
    saved = *old;
    old.reset();
  }
  std::unique_ptr<CDevFlow> made = MakeObject(memoryType, busType);
  if (made) {
    static_cast<CMpConfig&>(*made) = saved;
    made->SetIcDefinition(app.icTypeIni);
  }
  app.flow = made.release();
  lastErrorCode.store(0);
}

void RecreateMemoryObjectKeepingDevice(std::uint8_t memoryType, std::uint8_t busType) {
  AppContext& app = App();
  const std::uint32_t device = app.flow != nullptr ? app.flow->m_hDev : 0;
  // What the OTP space report found stays with the device (the window asks for the password
  // when OTP is already used).
  const std::uint32_t usedOtp = app.flow != nullptr ? app.flow->m_uUsedOtp : 0;
  std::string otpText = app.flow != nullptr ? app.flow->m_strOtpText : std::string();
  if (app.flow != nullptr) app.flow->m_hDev = 0;  // handed over, not closed
  CreateMemoryObject(memoryType, busType);
  if (app.flow != nullptr) {
    app.flow->m_hDev = device;
    app.flow->m_uUsedOtp = usedOtp;
    app.flow->m_strOtpText = std::move(otpText);
  }
}

void DeleteMemoryObject() {
  AppContext& app = App();
  delete app.flow;
  app.flow = nullptr;
}
