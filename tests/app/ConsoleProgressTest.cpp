// The terminal progress bar: redrawn in place, bounded to its width, only for step and progress.
#include <cstdio>

#include <gtest/gtest.h>

#include "app/ConsoleProgress.h"
#include "app/Utf8.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"

namespace {

TEST(ConsoleProgressTest, LineShowsBarPercentAndStepWithinItsWidth) {
  EXPECT_EQ(FormatProgressLine(0, "", 32), "\r[........................]   0% ");
  EXPECT_EQ(FormatProgressLine(50, "Erase", 40),
            "\r[############............]  50% Erase   ");
  // Above 100 is shown as 100; a long step text is cut to the width.
  const std::string full = FormatProgressLine(250, std::string(200, 's'), 60);
  EXPECT_EQ(Utf8Length(full), 61u);
  EXPECT_NE(full.find("100%"), std::string::npos);
}

TEST(ConsoleProgressTest, DrawsOnStepAndProgressAndEndsTheLineOnce) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  {
    ConsoleProgress progress(out);
    progress.PostUiMessage(UM_STATUS, IDS_NOT_SUPPORT, 0);
    progress.PostUiMessage(UM_PROGRESS, 40, 0);
    progress.PostUiMessage(UM_ERROR, IDS_NOT_SUPPORT, 0);  // outcomes are not drawn
    progress.Finish();
    progress.Finish();
  }
  std::rewind(out);
  std::string text;
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) text.push_back(static_cast<char>(c));
  std::fclose(out);
  EXPECT_EQ(text, FormatProgressLine(0, TextOfId(IDS_NOT_SUPPORT)) +
                      FormatProgressLine(40, TextOfId(IDS_NOT_SUPPORT)) + "\n");
}

}  // namespace
