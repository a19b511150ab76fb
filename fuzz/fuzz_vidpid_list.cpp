// The two VID/PID list parsers. The input up to its first zero byte is the list text, the rest
// the device id.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "image/VidPidList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t zero = input.find('\0');
  const std::string_view list = input.substr(0, zero);
  const std::string_view deviceId =
      zero == std::string_view::npos ? std::string_view("VID_3C5E&PID_4C15&REV_0000") : input.substr(zero + 1);
  (void)VidPidListAccepts(list, deviceId);
  (void)VidPidFileAccepts(list, deviceId);
  return 0;
}
