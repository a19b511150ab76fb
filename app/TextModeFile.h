#pragma once
// A file written in text mode: every line feed becomes carriage return plus line feed on disk,
// as the result files of the command line have always been written ("pass\r\n" reaches the disk
// as CR CR LF). Stations' scripts read these files, so the bytes stay as they were.

#include <cstdio>
#include <string>
#include <string_view>

class TextModeFile {
 public:
  enum class Mode {
    kCreate,  // create or truncate, for writing
    kAppend,  // open for reading and writing without truncating, positioned at the end
  };

  TextModeFile() = default;
  ~TextModeFile();
  TextModeFile(const TextModeFile&) = delete;
  TextModeFile& operator=(const TextModeFile&) = delete;

  // False when the file cannot be opened (the object then writes nothing).
  [[nodiscard]] bool Open(const std::string& path, Mode mode);
  [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }
  // Writes text with the line-feed translation; false when the file is closed or the write failed.
  bool Write(std::string_view text);
  void Close();

 private:
  std::FILE* file_ = nullptr;
};
