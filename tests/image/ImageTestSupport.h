#pragma once
// Small helpers shared by the image tests.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "image/ICTypeIni.h"

// The debug-output lines fn sends, joined into one text.
std::string CaptureTrace(const std::function<void()>& fn);

// The bytes of an embedded default image ("BINARY" id).
std::vector<std::uint8_t> EmbeddedImage(int id);

// A definition parsed from text (as a file of "Ini Type" 1 would be).
CICTypeIni DefinitionFromText(const std::string& text);

// A definition placing the area at configAddress with the given size and tag.
CICTypeIni AreaDefinition(std::uint32_t configAddress, std::uint32_t configSize, std::uint32_t tagAddress,
                          const std::string& icName = "VXQ62");

// Records every message box shown while it lives.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
  std::vector<std::string> texts;
};

// Sets configuration keys for one test and sets them back to 0 afterwards.
class ConfigKeys {
 public:
  ConfigKeys(std::initializer_list<std::pair<const char*, int>> keys);
  ~ConfigKeys();
  ConfigKeys(const ConfigKeys&) = delete;
  ConfigKeys& operator=(const ConfigKeys&) = delete;

 private:
  std::vector<std::string> names_;
};
