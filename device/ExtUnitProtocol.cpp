#include "device/ExtUnitProtocol.h"

const char* VcmdStatusName(std::uint8_t code) {
  static const char* const kNames[] = {
      "VCMD_STS_CMD",        "VCMD_STS_DATA_IN",     "VCMD_STS_DATA_OUT",
      "VCMD_STS_ERR_DIR",    "VCMD_STS_NOT_FINISH",  "VCMD_STS_ERR_LEN",
      "VCMD_STS_UNKNOWN_SCMD", "VCMD_STS_ERR_OUTRANGE", "VCMD_STS_UNKNOWN_CMD",
      "VCMD_STS_HW_ERR"};
  if (code < sizeof kNames / sizeof kNames[0]) return kNames[code];
  if (code == 0xFE) return "VCMD_STS_RET_NO_ERR";
  return "Undefined ExtUnit error code\n";
}
