// The default-image generator, run as the real program.
#include <gtest/gtest.h>

#include "image/ICTypeIni.h"
#include "image/ImageVersion.h"
#include "image/MpConfig.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FileBytes(const std::string& path) {
  const std::string s = ReadFileBytes(path);
  return {s.begin(), s.end()};
}

TEST(ImageGenTest, OptionsDescribeAnImageTheParserReadsBack) {
  TempDir dir;
  const std::vector<std::string> args = {"--chip", "VXQ62", "--memory", "flash", "--version", "1.203.0004-0005.0006",
                                         "--serial", "SN0001", "--vidpid", "3C5E,4C15,0001", "--tag", "0xEFFE",
                                         "-o", dir.File("a.bin")};
  const ProgramResult r = RunProgram(BuiltProgram("lumatrace-imagegen"), args);
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const Bytes image = FileBytes(dir.File("a.bin"));
  ASSERT_EQ(image.size(), 65536u);

  CICTypeIni ic(0);
  ic.SelectIcDefinition(1);
  ic.ReadIcHeader();
  CMpConfig record;
  record.SetIcDefinition(&ic);
  ASSERT_EQ(record.ParseImage(image), 0xF000u);
  EXPECT_EQ(record.imageChipId, 21);
  EXPECT_EQ(record.serialText, "SN0001");
  EXPECT_EQ(record.vidPidText, "VID_3C5E&PID_4C15");
  EXPECT_EQ(record.releaseText, "0001");
  EXPECT_EQ(DecodeImageVersion(image)->text, "1.203.0004-0005.0006");
  EXPECT_EQ(image[0xEFFE], 0x55);

  // Deterministic: the same description gives the same bytes.
  std::vector<std::string> again = args;
  again.back() = dir.File("b.bin");
  ASSERT_EQ(RunProgram(BuiltProgram("lumatrace-imagegen"), again).exitCode, 0);
  EXPECT_EQ(FileBytes(dir.File("b.bin")), image);
}

TEST(ImageGenTest, DescriptionFileGivesTheEmbeddedImage) {
  TempDir dir;
  const ProgramResult r = RunProgram(BuiltProgram("lumatrace-imagegen"),
                                     {LUMATRACE_SOURCE_DIR "/resources/images/FFU_Q64.txt", "-o", dir.File("q64.bin")});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(FileBytes(dir.File("q64.bin")), EmbeddedImage(3020));
}

TEST(ImageGenTest, BadDescriptionsAreRefusedWithAMessage) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {{{"--colour", "red", "-o", dir.File("x.bin")}, "unknown key: colour"},
                        {{"--version", "1.2", "-o", dir.File("x.bin")}, "bad version text"},
                        {{"--size", "4096", "-o", dir.File("x.bin")}, "configuration area outside the image"},
                        {{"--serial", std::string(60, 's'), "-o", dir.File("x.bin")}, "do not fit"},
                        {{"--chip", "VXQ62"}, "usage"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const ProgramResult r = RunProgram(BuiltProgram("lumatrace-imagegen"), c.args);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_EQ(dir.Read("x.bin"), "");
}

}  // namespace
