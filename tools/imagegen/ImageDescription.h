#pragma once
// The readable description of a firmware image that lumatrace-imagegen writes: one "key=value"
// per line ("#" starts a comment), or the same keys as "--key value" on the command line.
//
//   name         image name; seeds the filler of the code bytes
//   chip         VXQ61, VXQ62, VXQ64, VXQ65 or a chip id; a model name also sets area, capacity
//                and code the way its IC definition places them
//   memory       flash, eeprom8, eeprom16, mtp, otp (sets boot); boot sets the code directly
//   size         image bytes (65536)
//   area         offset of the configuration area (0xF000); capacity: its room (4096)
//   code         code bytes [0, code) are deterministic filler (0 keeps them erased)
//   version      version block text, "1.203.0004-0005.0006"
//   codeid       code identification text, "0x0112345678"
//   tag          offset of the boot tag 55 AA (also makes the boot memory code 0x55)
//   hwap, eep, bankcopy, forceupdate    leading records (hwap: the second value)
//   manufacturer, product, serial, ubist, iad    string records 1, 2, 3, 6, 7
//   vidpid       "VID,PID,REV" in hexadecimal
//   cachecode    bytes of filler in a small-cache-code record (VXQ62 and VXQ64 areas)
//   otpcode      bytes of code in a code record (type 39) right after the leading records, at
//                offset 15 of the area (implies eep=0 unless eep is given); its code is the
//                image's own bytes behind the record head, so a version block there survives

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ImageDescription {
  std::string name = "image";
  std::size_t size = 65536;
  std::size_t area = 0xF000;
  std::size_t capacity = 4096;
  std::size_t codeEnd = 0xEFFE;
  std::uint8_t bootCode = 0x30;
  std::uint8_t chipId = 21;
  std::optional<std::string> version;
  std::optional<std::string> codeId;
  std::optional<std::size_t> tag;
  std::optional<std::uint16_t> hwapSecondValue;
  std::optional<std::uint8_t> eepInfo;
  std::optional<std::uint8_t> bankCopyInfo;
  std::optional<std::uint8_t> forceUpdateInfo;
  std::vector<std::pair<std::uint8_t, std::string>> strings;  // (record type, text)
  std::optional<std::array<std::uint16_t, 3>> vidPid;
  std::size_t cacheCode = 0;
  std::size_t otpCode = 0;

  // Applies one key; false with a message in error for an unknown key or a bad value.
  bool Set(const std::string& key, const std::string& value, std::string& error);
  // Applies every line of a description text.
  bool Read(const std::string& text, std::string& error);
};
