#include <algorithm>

#include "app/AppContext.h"
#include "app/StringPrintf.h"
#include "app/Trace.h"
#include "flow/DevFlow.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"

std::uint32_t CDevFlow::MP_OTPSpaceReport(bool* ok) {
  TraceScope scope("CDevFlow::MP_OTPSpaceReport");
  if (ok != nullptr) *ok = false;
  const std::optional<OtpBlock> last = OtpLastBlock();
  const std::optional<int> freeEntries = MP_OTPGetFreeVDNum();
  if (!last || !freeEntries) {
    TraceFail(scope, "Read OTP Fail\n");
    lastErrorCode.store(IDS_READ_OTP_FAIL);
    return 0;
  }
  const std::uint32_t used = std::uint32_t{last->address} + last->length;
  const std::uint32_t freeBytes = kOtpDataEnd - used;
  const auto image = static_cast<std::uint32_t>(imageBytes.size());
  const int remaining = image == 0 ? 0 : std::min(static_cast<int>(freeBytes / image), *freeEntries);
  m_uUsedOtp = used;
  const float usedKb = static_cast<float>(used) / 1024.0f;
  const float freeKb = static_cast<float>(freeBytes) / 1024.0f;
  if (image == 0) {
    m_strOtpText = StringPrintf("Used OTP Space: %0.2f KB, Remain OTP Space: %0.2f KB.", usedKb, freeKb);
  } else {
    m_strOtpText = StringPrintf("Used OTP Space: %0.2f KB Free OTP Space: %0.2f KB Remaining Programmable Times: %d.",
                                usedKb, freeKb, remaining);
  }
  m_strOtpConsoleText = StringPrintf("Used OTP Space: %0.2f KB\nFree OTP Space: %0.2f KB\nRemaining Programmable Times: %d.",
                                     usedKb, freeKb, remaining);
  TraceWrite(scope, "%s\n", m_strOtpText.c_str());
  if (ok != nullptr) *ok = true;
  return used;
}
