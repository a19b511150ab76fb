#include "image/VidPidList.h"

#include <gtest/gtest.h>

#include "image/ICTypeIni.h"
#include "platform/ExecutablePath.h"
#include "resources/EmbeddedResources.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

TEST(VidPidListTest, EmbeddedListHasOneActiveEntryAndTwoEmptyLinesAtTheEnd) {
  const auto bytes = FindEmbeddedResource("ICINI", 3034);
  const std::string text(bytes.begin(), bytes.end());
  int entries = 0;
  int comments = 0;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
    const std::string line = text.substr(start, end - start);
    if (!line.empty()) {
      ++entries;
      if (line.rfind("//", 0) == 0) ++comments;
    }
    start = end + 2;
  }
  EXPECT_EQ(entries, 17);
  EXPECT_EQ(comments, 16);
  EXPECT_NE(text.find("\r\nVID_3C5E&PID_4C15&REV_0000\r\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 6), "\r\n\r\n\r\n");
}

TEST(VidPidListTest, EmbeddedListAcceptsAnyReleaseOfItsActiveEntry) {
  struct Case {
    const char* deviceId;
    bool listed;
  };
  const Case cases[] = {{"VID_3C5E&PID_4C15&REV_0000", true},
                        {"VID_3C5E&PID_4C15&REV_0123", true},
                        {"vid_3c5e&pid_4c15&rev_0001", true},
                        {"VID_3C5E&PID_4C16&REV_0000", false},  // commented out
                        {"VID_17AA&PID_1046&REV_0000", false}};
  CICTypeIni list(0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.deviceId);
    EXPECT_EQ(list.IsDeviceListed(c.deviceId), c.listed);
  }
}

TEST(VidPidListTest, LinesThatCutToNothingNeverMatch) {
  // As written, these become the empty text, which occurs in every device id.
  for (const char* text : {"   \r\n", "&REV_0000\r\n", "REV\n", " \t&rev_1\r"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(VidPidListAccepts(text, "VID_1234&PID_5678&REV_0000"));
  }
  EXPECT_TRUE(VidPidListAccepts("  vid_1234&pid_5678&REV_9999  \r\n", "VID_1234&PID_5678&REV_0000"));
  EXPECT_TRUE(VidPidListAccepts("PID_5678", "VID_1234&PID_5678&REV_0000"));
}

TEST(VidPidListTest, FileListNeedsTheExactRelease) {
  struct Case {
    const char* text;
    bool listed;
  };
  const Case cases[] = {{"VID_3C5E&PID_4C15&REV_0000\r\n", true},
                        {"  vid_3c5e&pid_4c15&rev_0000  \n", true},
                        {"VID_3C5E&PID_4C15&REV_0001\r\n", false},
                        {"VID_3C5E&PID_4C15\r\n", false},  // no "REV": never matches
                        {"\r\n\r\n", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(VidPidFileAccepts(c.text, "VID_3C5E&PID_4C15&REV_0000"), c.listed);
  }
}

TEST(VidPidListTest, FileBesideTheExecutableIsReadAndItsAbsenceIsShown) {
  TempDir dir;
  SetExecutableDirectoryForTesting(dir.path());
  const CICTypeIni list(0);
  {
    MessageBoxRecorder boxes;
    EXPECT_FALSE(list.IsDeviceListedInFile("VID_3C5E&PID_4C15&REV_0000"));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], dir.File("VidPidList.ini") + " does not exist");
  }
  dir.Write("VidPidList.ini", "VID_3C5E&PID_4C15&REV_0000\r\n");
  EXPECT_TRUE(list.IsDeviceListedInFile("VID_3C5E&PID_4C15&REV_0000"));
  EXPECT_FALSE(list.IsDeviceListedInFile("VID_3C5E&PID_4C15&REV_0002"));
  SetExecutableDirectoryForTesting({});
}

}  // namespace
