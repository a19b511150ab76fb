#include "flow/DumpFile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

std::string FormatHexDump(std::span<const std::uint8_t> data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(data.size() * 3 + (data.size() / 16 + 1) * 2);
  for (std::size_t i = 0; i < data.size(); ++i) {
    text.push_back(kDigits[data[i] >> 4]);
    text.push_back(kDigits[data[i] & 0x0F]);
    text.push_back(' ');
    if (i % 16 == 15 || i + 1 == data.size()) text += "\r\n";
  }
  return text;
}

bool WriteDumpFile(const std::string& path, std::span<const std::uint8_t> data, bool hexForm,
                   std::string* error) {
  std::error_code ec;
  const std::filesystem::path target = std::filesystem::absolute(path, ec);
  if (ec || target.filename().empty()) {
    *error = "Cannot write the dump file \"" + path + "\": not a file path";
    return false;
  }
  std::filesystem::create_directories(target.parent_path(), ec);
  std::FILE* file = std::fopen(target.string().c_str(), "wb");
  if (file == nullptr) {
    *error = "Cannot write the dump file \"" + target.string() + "\"";
    return false;
  }
  bool ok;
  if (hexForm) {
    const std::string text = FormatHexDump(data);
    ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  } else {
    ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
  }
  ok = (std::fclose(file) == 0) && ok;
  if (!ok) *error = "Cannot write the dump file \"" + target.string() + "\" completely";
  return ok;
}
