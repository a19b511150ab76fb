#include "app/DebugCapture.h"

#include <gtest/gtest.h>

#include <chrono>

#include "app/Trace.h"
#include "platform/DebugChannel.h"
#include "platform/ExecutablePath.h"
#include "platform/ProcessInfo.h"
#include "tests/support/TempDir.h"

namespace {

class DebugCaptureTest : public testing::Test {
 protected:
  void SetUp() override { SetExecutableDirectoryForTesting(dir_.path()); }
  void TearDown() override { SetExecutableDirectoryForTesting(""); }
  TempDir dir_;
};

TEST_F(DebugCaptureTest, WritesThisProcessOnlyAndEndsWithExitLine) {
  dir_.Write("DebugLog.txt", "stale content of an earlier run\r\n");
  ASSERT_TRUE(StartDebugCapture());
  DebugPrint("first %d", 1);
  SendDebugOutputAs(CurrentProcessId() + 1, "from another process\r\n");
  TraceScope scope("CTest::Run", 0);
  TraceWrite(scope, "second\n");
  EXPECT_TRUE(StopDebugCapture(std::chrono::seconds(30)));

  const std::string log = dir_.Read("DebugLog.txt");
  EXPECT_TRUE(log.starts_with("first 1\r\n")) << log;
  EXPECT_NE(log.find("CTest::Run:> second\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("another process"), std::string::npos);
  EXPECT_EQ(log.find("stale"), std::string::npos) << "recreated at start";
  EXPECT_TRUE(log.ends_with("Exit Debug Thread\r\n")) << log;
}

TEST_F(DebugCaptureTest, LinesFromEveryThreadAreCaptured) {
  ASSERT_TRUE(StartDebugCapture());
  std::thread worker([] { DebugPrint("from the worker"); });
  worker.join();
  EXPECT_TRUE(StopDebugCapture(std::chrono::seconds(30)));
  EXPECT_NE(dir_.Read("DebugLog.txt").find("from the worker\r\n"), std::string::npos);
}

TEST_F(DebugCaptureTest, HandshakeDoesNotBlockWhenTheLogCannotBeCreated) {
  SetExecutableDirectoryForTesting(dir_.File("no-such-dir"));
  ASSERT_TRUE(StartDebugCapture());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(StopDebugCapture(std::chrono::seconds(60)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST_F(DebugCaptureTest, HandshakeDoesNotBlockAfterASetUpFailure) {
  ASSERT_TRUE(ListenDebugOutput());  // someone else holds the channel
  testing::internal::CaptureStderr();
  ASSERT_TRUE(StartDebugCapture());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(StopDebugCapture(std::chrono::seconds(60)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR: CreateEvent DBWIN_BUFFER_READY\\n");
  CloseDebugOutputListener();
}

TEST_F(DebugCaptureTest, StopWithoutStartReturnsAtOnce) {
  EXPECT_FALSE(StopDebugCapture(std::chrono::seconds(60)));
}

}  // namespace
