#include "device/ExtensionUnitDescriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Configuration header + the given descriptors, with wTotalLength filled in.
Bytes Config(std::initializer_list<Bytes> descriptors) {
  Bytes c = {9, 2, 0, 0, 1, 1, 0, 0x80, 50};
  for (const Bytes& d : descriptors) c.insert(c.end(), d.begin(), d.end());
  c[2] = static_cast<std::uint8_t>(c.size());
  c[3] = static_cast<std::uint8_t>(c.size() >> 8);
  return c;
}

const Bytes kInterface = {9, 4, 0, 0, 0, 1, 1, 0, 0};
const Bytes kHeader = {9, 0x24, 1, 0, 1, 9, 0, 1, 1};
Bytes ExtUnit(std::uint8_t subtype, std::uint8_t unit, std::uint16_t code) {
  return {13, 0x24, subtype, unit, static_cast<std::uint8_t>(code), static_cast<std::uint8_t>(code >> 8), 1, 1, 1, 3, 0, 0, 0};
}

TEST(FindAudioExtensionUnitTest, FindsOnlyTheVendorUnitAmongTheClassDescriptors) {
  struct Case {
    const char* what;
    Bytes config;
    int expected;
  };
  const Bytes endpoint = {7, 5, 0x81, 3, 8, 0, 10};
  const Case cases[] = {
      {"subtype 8 after the interface", Config({kInterface, kHeader, ExtUnit(8, 6, 0x3C5E)}), 6},
      {"subtype 9 (Audio Class 2)", Config({kInterface, kHeader, ExtUnit(9, 7, 0x3C5E)}), 7},
      {"second unit carries the code", Config({kInterface, ExtUnit(8, 3, 0x1234), ExtUnit(8, 4, 0x3C5E)}), 4},
      {"only another code", Config({kInterface, kHeader, ExtUnit(8, 6, 0x1234)}), -1},
      {"after a standard descriptor", Config({kInterface, endpoint, ExtUnit(8, 6, 0x3C5E)}), -1},
      {"no interface descriptor", Config({kHeader, ExtUnit(8, 6, 0x3C5E)}), -1},
      {"bLength 0 ends the walk", Config({kInterface, {0, 0x24, 8, 6, 0x5E, 0x3C}, ExtUnit(8, 6, 0x3C5E)}), -1},
      {"bLength 1 ends the walk", Config({kInterface, {1}, ExtUnit(8, 6, 0x3C5E)}), -1},
      {"unit shorter than its code field", Config({kInterface, {5, 0x24, 8, 6, 0x5E}}), -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindAudioExtensionUnit(c.config.data(), c.config.size()), c.expected) << c.what;
  }
}

TEST(FindAudioExtensionUnitTest, StaysInsideTotalLengthAndTheBuffer) {
  Bytes c = Config({kInterface, kHeader, ExtUnit(8, 6, 0x3C5E)});
  const std::size_t full = c.size();
  c[2] = static_cast<std::uint8_t>(full - 1);  // the unit reaches past wTotalLength
  EXPECT_EQ(FindAudioExtensionUnit(c.data(), c.size()), -1);
  c[2] = static_cast<std::uint8_t>(full);
  EXPECT_EQ(FindAudioExtensionUnit(c.data(), full - 1), -1) << "fewer bytes than wTotalLength";
  c[2] = 0xFF;  // wTotalLength beyond the buffer: the buffer bounds the walk
  EXPECT_EQ(FindAudioExtensionUnit(c.data(), full), 6);
  EXPECT_EQ(FindAudioExtensionUnit(c.data(), 3), -1);
  EXPECT_EQ(FindAudioExtensionUnit(nullptr, 0), -1);
}

}  // namespace
