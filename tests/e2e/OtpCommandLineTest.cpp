// The real program with an OTP codec from the command line: downloads appended block after
// block, the combined image dumped back, the space report, and a nearly full OTP that is not
// programmed unattended.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/e2e/StationFixture.h"

namespace {

constexpr std::size_t kDataArea = 16224;

std::vector<std::string> OtpImage(const std::string& serial, std::size_t codeBytes) {
  return {"--chip", "VXQ62", "--memory", "otp", "--size", "8192", "--area", "0", "--capacity", "8192", "--hwap",
          "0x1060", "--code", "8192", "--name", serial, "--otpcode", std::to_string(codeBytes), "--serial", serial,
          "--vidpid", "3C5E,4C15,0000", "--version", "1.230.0001-0002.0003"};
}

std::size_t AreaLength(const std::string& image) {
  return static_cast<unsigned char>(image[3]) | (static_cast<unsigned char>(image[4]) << 8);
}

std::string SpaceReport(std::size_t used, std::size_t imageBytes, int freeEntries) {
  const std::size_t freeBytes = kDataArea - used;
  const int remaining = std::min(static_cast<int>(freeBytes / imageBytes), freeEntries);
  char text[160];
  std::snprintf(text, sizeof text, "Used OTP Space: %0.2f KB\nFree OTP Space: %0.2f KB\nRemaining Programmable Times: %d.",
                static_cast<float>(used) / 1024.0f, static_cast<float>(freeBytes) / 1024.0f, remaining);
  return text;
}

TEST_F(Station, OtpCodecTakesDownloadsDumpsThemAndReportsItsSpace) {
  Emu({"create", "--chip", "VXQ62", "--memory", "otp"});
  Image("a.rfw", OtpImage("OTP-A", 1500));
  const std::string a = dir_.Read("a.rfw");
  const std::size_t usedByA = AreaLength(a) + 15;  // two blocks, each with its own header

  ProgramResult r = Run({"-f", "-detect", "a.rfw"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "\nBegin to Check OTP Status!\r\n" + SpaceReport(0, a.size(), 16) + "\r\n" + Prompt());

  r = Run({"-f", "-write", "a.rfw"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "\nBegin to Write fw!\r\nWrite fw pass!\r\n" + Prompt());
  std::string shown = Show();
  EXPECT_NE(shown.find("\"mode\": \"firmware\", \"version\": \"1.230.0001-0002.0003\""), std::string::npos) << shown;
  EXPECT_NE(shown.find("\"serial\": \"OTP-A\""), std::string::npos) << shown;

  r = Run({"-f", "-detect", "a.rfw"});
  EXPECT_EQ(r.out, "\nBegin to Check OTP Status!\r\n" + SpaceReport(usedByA, a.size(), 14) + "\r\n" + Prompt());

  // A second image is appended behind the first; the chip boots the new one.
  Image("b.rfw", OtpImage("OTP-B", 1700));
  r = Run({"-f", "-write", "b.rfw"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  shown = Show();
  EXPECT_NE(shown.find("\"serial\": \"OTP-B\""), std::string::npos) << shown;
  const std::string otp = Memory(1, 0x4000);
  EXPECT_EQ(otp.substr(usedByA, 15 + 1700 + 8).substr(15), dir_.Read("b.rfw").substr(15, 1700 + 8));

  // The dump is the current code block with the configuration records behind it: the image's
  // area again, marked as a combined image.
  r = Run({"-f", "-dumpotp", "dump/otp.bin"});
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(r.out, "\nBegin to Dump OTP!\r\nDump OTP pass!\r\n" + Prompt());
  const std::string b = dir_.Read("b.rfw");
  std::string dump = dir_.Read("dump/otp.bin");
  ASSERT_EQ(dump.size(), AreaLength(b));
  EXPECT_EQ(static_cast<unsigned char>(dump[2]), 21 * 8 + 2);
  dump[2] = b[2];
  dump[5] = b[5];
  EXPECT_EQ(dump, b.substr(0, AreaLength(b)));
}

TEST_F(Station, NearlyFullOtpIsNotProgrammedWithoutSomeoneToAgree) {
  Emu({"create", "--chip", "VXQ62", "--memory", "otp"});
  Image("big.rfw", OtpImage("BIG", 2900));
  const std::string big = dir_.Read("big.rfw");
  std::size_t used = 0;
  // Downloads go on while more than 5120 bytes are free before them.
  while (kDataArea - used > 5120) {
    ASSERT_EQ(Run({"-f", "-write", "big.rfw"}).exitCode, 0);
    used += AreaLength(big) + 15;
  }
  ASSERT_LE(used + AreaLength(big) + 15, kDataArea) << "the next image would fit";
  const std::string before = Memory(1, 0x4000);
  const ProgramResult r = Run({"-f", "-write", "big.rfw"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "\nBegin to Write fw!\r\nWrite fw fail!\r\n" + Prompt());
  EXPECT_NE(r.err.find("OTP Code Size Less than 5K,\nContinue to Update!"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("(answered No)"), std::string::npos) << r.err;
  EXPECT_NE(dir_.Read("burn_result.txt").find("Fail,    41914:"), std::string::npos);
  EXPECT_EQ(Memory(1, 0x4000), before);
}

}  // namespace
