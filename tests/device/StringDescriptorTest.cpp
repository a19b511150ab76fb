#include "device/StringDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

#include "device/DeviceResult.h"

namespace {

TEST(StringDescriptorTest, TakesCharactersBoundedByBytesReceivedAndBLength) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
    bool ok;
    const char* text;
  };
  const Case cases[] = {
      {"plain", {8, 3, 'A', 0, 'b', 0, 'c', 0}, true, "Abc"},
      {"bLength beyond what arrived", {40, 3, 'A', 0, 'b', 0}, true, "Ab"},
      {"bLength shorter than what arrived", {4, 3, 'A', 0, 'b', 0}, true, "A"},
      {"odd bLength", {5, 3, 'A', 0, 'b', 0}, true, "A"},
      {"empty string", {2, 3}, true, ""},
      {"bLength below 2", {1, 3, 'A', 0}, false, ""},
      {"wrong type", {6, 2, 'A', 0, 'b', 0}, false, ""},
      {"one byte", {6}, false, ""},
      {"non-ASCII", {6, 3, 0xE9, 0x00, 0xAC, 0x20}, true, "\xC3\xA9\xE2\x82\xAC"},
      {"surrogate pair", {6, 3, 0x3D, 0xD8, 0x00, 0xDE}, true, "\xF0\x9F\x98\x80"},
      {"lone surrogate", {4, 3, 0x3D, 0xD8}, true, "\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) {
    std::string text = "stale";
    EXPECT_EQ(DecodeStringDescriptor(c.bytes.data(), c.bytes.size(), &text), c.ok) << c.what;
    EXPECT_EQ(text, c.text) << c.what;
  }
}

TEST(DeviceResultTest, AFailureWithoutAPlatformErrorIsStillAFailure) {
  EXPECT_EQ(HResultFromWin32(0), kResultFail);
  EXPECT_EQ(HResultFromWin32(kUsbErrorDeviceNotConnected), kResultDeviceNotConnected);
  EXPECT_EQ(HResultFromWin32(31), 0x8007001Fu);
  EXPECT_EQ(HResultFromWin32(0x80004005), 0x80004005u) << "already an HRESULT";
}

}  // namespace
