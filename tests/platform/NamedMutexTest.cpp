#include "platform/NamedMutex.h"

#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

namespace {

class NamedMutexTest : public testing::Test {
 protected:
  void TearDown() override { shm_unlink(("/lumatrace-" + name_).c_str()); }
  const std::string name_ = "test-mutex-" + std::to_string(getpid());
};

TEST_F(NamedMutexTest, RecursiveForTheOwnerAndExclusiveForOthers) {
  NamedMutex a(name_);
  ASSERT_TRUE(a.IsOpen());
  ASSERT_EQ(a.Wait(100), MutexWait::kObtained);
  ASSERT_EQ(a.Wait(100), MutexWait::kObtained) << "recursive within the thread";
  MutexWait other = MutexWait::kFailed;
  std::thread t([&] {
    NamedMutex b(name_);
    other = b.Wait(50);
    if (other == MutexWait::kObtained) b.Release();
  });
  t.join();
  EXPECT_EQ(other, MutexWait::kTimedOut);
  a.Release();
  a.Release();
  std::thread t2([&] {
    NamedMutex b(name_);
    other = b.Wait(1000);
    if (other == MutexWait::kObtained) b.Release();
  });
  t2.join();
  EXPECT_EQ(other, MutexWait::kObtained);
}

TEST_F(NamedMutexTest, OwnerThatDiesLeavesItAbandonedOnce) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  if (child == 0) {
    NamedMutex m(name_);
    if (m.Wait(1000) == MutexWait::kObtained) (void)!write(ready[1], "x", 1);
    _exit(0);  // ends while holding it
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  int status = 0;
  waitpid(child, &status, 0);
  NamedMutex m(name_);
  EXPECT_EQ(m.Wait(1000), MutexWait::kAbandoned);
  m.Release();
  EXPECT_EQ(m.Wait(1000), MutexWait::kObtained) << "usable again afterwards";
  m.Release();
  close(ready[0]);
  close(ready[1]);
}

TEST_F(NamedMutexTest, AnotherProcessHoldingItMakesTheWaitTimeOut) {
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  if (child == 0) {
    NamedMutex m(name_);
    if (m.Wait(1000) == MutexWait::kObtained) (void)!write(ready[1], "x", 1);
    char c;
    (void)!read(done[0], &c, 1);
    m.Release();
    _exit(0);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  NamedMutex m(name_);
  EXPECT_EQ(m.Wait(200), MutexWait::kTimedOut);
  (void)!write(done[1], "x", 1);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(m.Wait(1000), MutexWait::kObtained);
  m.Release();
  for (int fd : {ready[0], ready[1], done[0], done[1]}) close(fd);
}

}  // namespace
