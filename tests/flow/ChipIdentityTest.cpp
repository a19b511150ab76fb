// Chip families, mode texts, write-protect registers and the version texts a chip reports.
#include <array>

#include <gtest/gtest.h>

#include "flow/ChipIdentity.h"
#include "flow/VersionText.h"

namespace {

TEST(ChipIdentityTest, ModeRegisterFamilies) {
  struct Case {
    std::uint8_t b0, b1;
    bool modeRegister;
  };
  const Case cases[] = {
      {0x00, 0x00, false},  // legacy
      {0x11, 0x70, false},  // 0x7011: masked 0x7010 but b0 0x11
      {0x10, 0x70, true},   {0x13, 0xB0, true},  {0x11, 0xD0, true}, {0x10, 0x10, true},
      {0x12, 0xC0, true},   {0x10, 0xE0, true},  {0x10, 0xF0, true}, {0x56, 0xFF, true},
      {0x50, 0x80, true},   {0x10, 0x30, false}, {0x57, 0xFF, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.b1) << int(c.b0));
    EXPECT_EQ((ChipIdentity{c.b0, c.b1}.HasModeRegister()), c.modeRegister);
  }
  EXPECT_EQ((ChipIdentity{0x10, 0x71}.ModeByteAddress()), 0xC2A6u);
  EXPECT_EQ((ChipIdentity{0x13, 0xB0}.ModeByteAddress()), 0xC2A8u);
  EXPECT_EQ((ChipIdentity{0x13, 0xB4}.Code()), 0xB013);
}

TEST(ChipIdentityTest, ModeTexts) {
  EXPECT_EQ(ModeText(0x00), "ROM");
  EXPECT_EQ(ModeText(0x08), "SPI");
  EXPECT_EQ(ModeText(0x10), "ROM&&OTP");
  EXPECT_EQ(ModeText(0x18), "SPI&&OTP");
  EXPECT_EQ(ModeText(0x20), "ROM&&SPI");
  EXPECT_EQ(ModeText(0x28), "Unknown");
}

TEST(ChipIdentityTest, WriteProtectRegisterPairs) {
  struct Case {
    std::uint8_t b0, b1;
    bool dual;
    int pass;
    std::uint32_t a, b;
    std::uint8_t bit;
    bool restore;
  };
  const Case cases[] = {
      {0x00, 0x00, false, 0, 0xFEA0, 0xFEA6, 0x01, true},
      {0x56, 0xFF, false, 0, 0x0404, 0x0406, 0x01, true},
      {0x50, 0x80, false, 0, 0x0404, 0x0406, 0x01, true},
      {0x10, 0x70, false, 0, 0x0650, 0x0652, 0x01, true},
      {0x11, 0x70, false, 0, 0xFEA0, 0xFEA6, 0x01, true},  // no mode register: legacy pair
      {0x10, 0xE0, false, 0, 0x0505, 0x0507, 0x01, true},
      {0x13, 0xB0, false, 0, 0xFEC0, 0xFEC6, 0x01, true},
      {0x11, 0xD0, false, 0, 0xFEC0, 0xFEC6, 0x01, true},
      {0x10, 0x10, false, 0, 0x050C, 0x0512, 0x10, true},
      {0x10, 0x10, true, 0, 0x050A, 0x0510, 0x80, false},
      {0x10, 0x10, true, 1, 0x050C, 0x0512, 0x10, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int(c.b1) << int(c.b0) << " pass " << c.pass);
    const WriteProtectPair pair = WriteProtectRegisters(ChipIdentity{c.b0, c.b1}, c.dual, c.pass);
    EXPECT_EQ(pair.registerA, c.a);
    EXPECT_EQ(pair.registerB, c.b);
    EXPECT_EQ(pair.bit, c.bit);
    EXPECT_EQ(pair.restore, c.restore);
  }
}

class VersionTextTest : public ::testing::Test {
 protected:
  std::array<std::uint8_t, kStatusRecordSize> s{};
  std::array<std::uint8_t, kRomVersionRecordSize> r{};
  DeviceVersion Compute(std::uint8_t mode = 0x08) { return ComputeDeviceVersion(s, r, mode); }
};

TEST_F(VersionTextTest, DottedFormFromStatusRecord) {
  s[64] = 0x31;
  s[79] = 0x12;
  s[78] = 0x34;
  s[76] = 0x02, s[77] = 0x01;
  s[82] = 0x04, s[83] = 0x03;
  s[80] = 0x06, s[81] = 0x05;
  const DeviceVersion v = Compute();
  EXPECT_EQ(v.text, "1.234.0102-0304.0506");
  EXPECT_EQ(v.compare, v.text);
  EXPECT_EQ(v.kind, 2);
  EXPECT_EQ(v.parts, (std::array<std::uint16_t, 6>{1, 2, 0x34, 0x0102, 0x0304, 0x0506}));
}

TEST_F(VersionTextTest, HexFormOfKindOne) {
  s[64] = 0x21;
  s[76] = 0x34, s[77] = 0x12, s[78] = 0x78, s[79] = 0x56;
  EXPECT_EQ(Compute().text, "0x1234-5678");
}

TEST_F(VersionTextTest, KindZeroTakesDescriptorBWhenAHasNoCodeType) {
  s[64] = 0x00;
  s[72] = 0x01;  // B has code type 1
  s[75] = 0xAB;
  s[76] = 0x11, s[77] = 0x22;
  s[78] = 0xCD, s[79] = 0xEF;
  s[4] = 0x34, s[5] = 0x12;
  s[67] = 0x99;
  DeviceVersion v = Compute();
  EXPECT_EQ(v.kind, 0);
  EXPECT_EQ(v.text, "0xAB-CDEF-1234");
  EXPECT_EQ(v.compare, "0xAB-1122-CDEF");
  EXPECT_EQ(StatusCodeType(s), 1);
  // B's code type 0x0B does not count: A's fields are used.
  s[72] = 0x0B;
  s[70] = 0x01, s[71] = 0x02;
  v = Compute();
  EXPECT_EQ(v.text, "0x99-0102-1234");
  EXPECT_EQ(StatusCodeType(s), 0);
}

TEST_F(VersionTextTest, RomModeWithOtpOrSpiBootReadsBlock128) {
  r[12] = 0x12, r[13] = 0x34;
  r[14] = 0x01, r[15] = 0x02, r[16] = 0x03, r[17] = 0x04, r[18] = 0x05, r[19] = 0x06;
  s[67] = 0x01, s[68] = 0x02, s[69] = 0x03, s[70] = 0x04, s[71] = 0x05;
  for (const std::uint8_t mode : {0x10, 0x18, 0x20}) {
    const DeviceVersion v = Compute(mode);
    EXPECT_EQ(v.text, "1.234.0102-0304.0506");
    EXPECT_EQ(v.compare, "0x01-0203-0405");  // compared as the status record's bytes
  }
  // An erased record reads as all F.
  r.fill(0xFF);
  EXPECT_EQ(Compute(0x10).text, "F.FFF.FFFF-FFFF.FFFF");
}

}  // namespace
