// OTP_PrepareBlock on arbitrary images: both parts, every block inside the image and the OTP
// data area, the header rewritten in place.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "flow/OtpInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  COTPInfo_USB otp;
  otp.imageBytes.assign(data, data + size);
  for (int part = 0; part < 2; ++part) {
    if (otp.OTP_PrepareBlock(part) != 1) continue;
    // A prepared block has its header, fits the data area and never outgrows the image.
    if (g_pOTPBlock == nullptr || g_wOTPBlockLen < kOtpHeaderBytes || g_wOTPBlockLen > kOtpDataEnd ||
        g_wOTPBlockLen > size) {
      std::abort();
    }
    if ((g_pOTPBlock[3] | (g_pOTPBlock[4] << 8)) != g_wOTPBlockLen) std::abort();
  }
  return 0;
}
