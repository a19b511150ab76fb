#include "flow/TextIds.h"

namespace {
struct TextEntry {
  int id;
  const char* text;
};
constexpr TextEntry kTexts[] = {
#define LUMATRACE_TEXT(id, name, text) {id, text},
#include "resources/StringTable.inc"
#undef LUMATRACE_TEXT
};
}  // namespace

const char* TextOfId(int id) {
  for (const TextEntry& e : kTexts) {
    if (e.id == id) return e.text;
  }
  return nullptr;
}

bool IsFinalSuccessId(int id) {
  switch (id) {
    case IDS_READ_FLASH_SUCCEED:
    case IDS_FIRMWARE_UPDATE_SUCCEED:
    case IDS_READ_EEPROM_SUCCEED:
    case IDS_DOWNLOAD_EEPROM_SUCCEED:
    case IDS_READ_MTP_SUCCEED:
    case IDS_DOWNLOAD_MTP_SUCCEED:
    case IDS_DOWNLOAD_OTP_SUCCEED:
      return true;
    default:
      return false;
  }
}
