#pragma once
// A fresh directory for one test, removed with everything in it at the end.

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes bytes to a file in the directory and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  // The whole content of a file in the directory ("" when missing).
  [[nodiscard]] std::string Read(const std::string& name) const;

 private:
  std::string path_;
};

[[nodiscard]] std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
