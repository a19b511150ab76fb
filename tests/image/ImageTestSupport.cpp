#include "tests/image/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "app/ConfigIni.h"
#include "platform/DebugChannel.h"
#include "platform/MessageBox.h"
#include "resources/EmbeddedResources.h"

std::string CaptureTrace(const std::function<void()>& fn) {
  EXPECT_TRUE(ListenDebugOutput());
  fn();
  SendDebugOutput("<end>");
  std::string text;
  for (;;) {
    std::optional<DebugMessage> m = WaitDebugOutput();
    if (!m || m->text == "<end>") break;
    text += m->text;
  }
  CloseDebugOutputListener();
  return text;
}

std::vector<std::uint8_t> EmbeddedImage(int id) {
  const auto bytes = FindEmbeddedResource("BINARY", id);
  return {bytes.begin(), bytes.end()};
}

CICTypeIni DefinitionFromText(const std::string& text) {
  CICTypeIni ic(1);
  ic.ReadFromText(text);
  ic.ReadIcHeader();
  return ic;
}

CICTypeIni AreaDefinition(std::uint32_t configAddress, std::uint32_t configSize, std::uint32_t tagAddress,
                          const std::string& icName) {
  char text[256];
  std::snprintf(text, sizeof text,
                "[Lumatrace Config]\nIc Name=%s\n[Vendor Info M1]\nConfigAddress=0x%X\nConfigSize=%u\n"
                "TagAddress=0x%X\n",
                icName.c_str(), configAddress, configSize, tagAddress);
  return DefinitionFromText(text);
}

MessageBoxRecorder::MessageBoxRecorder() {
  SetMessageBoxHandler([this](const std::string& text, const std::string&, MessageBoxButtons) {
    texts.push_back(text);
    return MessageBoxAnswer::kOk;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHandler({}); }

ConfigKeys::ConfigKeys(std::initializer_list<std::pair<const char*, int>> keys) {
  for (const auto& [name, value] : keys) {
    SetConfigInt(kConfigSection, name, value);
    names_.emplace_back(name);
  }
}

ConfigKeys::~ConfigKeys() {
  for (const std::string& name : names_) SetConfigInt(kConfigSection, name, 0);
}
