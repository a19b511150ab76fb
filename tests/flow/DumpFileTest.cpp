// Dump files: the hex text form and where files land.
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "flow/DumpFile.h"
#include "tests/support/TempDir.h"

namespace {

TEST(DumpFileTest, HexFormHasSixteenPairsPerLineAndEndsEveryLine) {
  std::vector<std::uint8_t> bytes(17);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
  EXPECT_EQ(FormatHexDump(bytes),
            "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF \r\nB0 \r\n");
  EXPECT_EQ(FormatHexDump(std::vector<std::uint8_t>(16, 0x0F)).size(), 16u * 3 + 2);
  EXPECT_EQ(FormatHexDump({}), "");
}

TEST(DumpFileTest, RelativePathCreatesItsDirectoriesBelowTheCurrentOne) {
  TempDir dir;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  std::string error;
  const std::vector<std::uint8_t> bytes{0, 1, 2, 0xFF};
  const bool ok = WriteDumpFile("dump/deeper/otp.bin", bytes, false, &error);
  std::filesystem::current_path(previous);
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(dir.Read("dump/deeper/otp.bin"), std::string("\0\1\2\xFF", 4));
}

TEST(DumpFileTest, UnwritableTargetFailsWithAMessage) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("taken"));
  std::string error;
  EXPECT_FALSE(WriteDumpFile(dir.File("taken"), std::vector<std::uint8_t>{1}, true, &error));
  EXPECT_NE(error.find("taken"), std::string::npos);
}

}  // namespace
