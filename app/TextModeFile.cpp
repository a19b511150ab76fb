#include "app/TextModeFile.h"

TextModeFile::~TextModeFile() { Close(); }

bool TextModeFile::Open(const std::string& path, Mode mode) {
  Close();
  file_ = std::fopen(path.c_str(), mode == Mode::kCreate ? "wb" : "r+b");
  if (file_ != nullptr && mode == Mode::kAppend && std::fseek(file_, 0, SEEK_END) != 0) Close();
  return file_ != nullptr;
}

bool TextModeFile::Write(std::string_view text) {
  if (file_ == nullptr) return false;
  std::string disk;
  disk.reserve(text.size() + 8);
  for (const char c : text) {
    if (c == '\n') disk.push_back('\r');
    disk.push_back(c);
  }
  const bool ok = std::fwrite(disk.data(), 1, disk.size(), file_) == disk.size();
  return std::fflush(file_) == 0 && ok;
}

void TextModeFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}
