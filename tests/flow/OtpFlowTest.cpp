// OTP downloads against the emulated codec: where blocks and entries go, what the chip boots,
// the space questions and limits, and the refusals before anything is written.
#include <algorithm>

#include "app/AppContext.h"
#include "flow/TextIds.h"
#include "platform/MessageBox.h"
#include "tests/flow/OtpFlowTest.h"

namespace {

std::vector<std::uint8_t> Slice(const std::vector<std::uint8_t>& m, std::size_t at, std::size_t n) {
  return {m.begin() + static_cast<std::ptrdiff_t>(at), m.begin() + static_cast<std::ptrdiff_t>(at + n)};
}

TEST_F(OtpFlowTest, FirstDownloadIntoAnEmptyOtpBootsCodeAndConfiguration) {
  const std::uint32_t port = PlugOtp();
  const std::string image = OtpImage("first.rfw", 1000);
  const Blocks blocks = BlocksOf(ReadBytes(image));
  std::vector<std::string> trace;
  ASSERT_EQ(Write(image, &trace), 1);
  EXPECT_EQ(lastErrorCode.load(), 0);
  EXPECT_TRUE(TraceHas(trace, "VD Flag Initial"));
  const std::vector<std::uint8_t> m = Memory(port, 0x4000);
  EXPECT_EQ(Slice(m, 0, blocks.code.size()), blocks.code);
  EXPECT_EQ(Slice(m, blocks.code.size(), blocks.config.size()), blocks.config);
  const VdEntry code = Entry(port, 0), config = Entry(port, 1);
  EXPECT_EQ(code.flag, kVdFlagCode);
  EXPECT_EQ(code.address, 0);
  EXPECT_EQ(code.length, blocks.code.size());
  EXPECT_EQ(config.flag, kVdFlagConfig);
  EXPECT_EQ(config.address, blocks.code.size());
  EXPECT_EQ(config.length, blocks.config.size());
  EXPECT_TRUE(Entry(port, 2).free);
  const auto info = bus_->Info(port);
  ASSERT_TRUE(info);
  EXPECT_TRUE(info->firmware);
  EXPECT_EQ(info->version, "1.204.0001-0002.0003");
  EXPECT_EQ(info->serial, "SN0001");
}

}  // namespace
