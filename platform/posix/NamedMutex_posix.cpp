// POSIX form of the named mutex: a robust, recursive, process-shared pthread mutex in a shared
// memory object named after the mutex. A process that dies while holding it leaves it
// EOWNERDEAD, which the next waiter reports as abandoned.
#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace {

enum : std::uint32_t { kUninitialised = 0, kInitialising = 1, kReady = 2 };

struct SharedBlock {
  std::atomic<std::uint32_t> state;
  pthread_mutex_t mutex;
};

std::string ShmName(const std::string& name) {
  std::string out = "/lumatrace-";
  for (char c : name) out += (c == '/' ? '_' : c);
  return out;
}

}  // namespace

struct NamedMutex::Impl {
  SharedBlock* block = nullptr;
};

NamedMutex::NamedMutex(const std::string& name) : impl_(std::make_unique<Impl>()) {
  const std::string shm = ShmName(name);
  const int fd = shm_open(shm.c_str(), O_RDWR | O_CREAT, 0666);
  if (fd < 0) {
    std::fprintf(stderr, "lumatrace: cannot open the command lock %s: errno %d\n", shm.c_str(), errno);
    return;
  }
  // The object may have been created by a process with another umask.
  (void)fchmod(fd, 0666);
  struct stat st {};
  if (fstat(fd, &st) == 0 && st.st_size < static_cast<off_t>(sizeof(SharedBlock))) {
    (void)ftruncate(fd, sizeof(SharedBlock));
  }
  void* p = mmap(nullptr, sizeof(SharedBlock), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  close(fd);
  if (p == MAP_FAILED) return;
  auto* block = static_cast<SharedBlock*>(p);

  std::uint32_t expected = kUninitialised;
  if (block->state.compare_exchange_strong(expected, kInitialising)) {
    pthread_mutexattr_t attr;
    pthread_mutexattr_init(&attr);
    pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
    pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&block->mutex, &attr);
    pthread_mutexattr_destroy(&attr);
    block->state.store(kReady);
  } else {
    // Another process is initialising it right now; that takes microseconds.
    for (int i = 0; i < 100000 && block->state.load() != kReady; ++i) sched_yield();
    if (block->state.load() != kReady) {
      munmap(p, sizeof(SharedBlock));
      return;
    }
  }
  impl_->block = block;
}

NamedMutex::~NamedMutex() {
  if (impl_->block != nullptr) munmap(impl_->block, sizeof(SharedBlock));
}

bool NamedMutex::IsOpen() const { return impl_->block != nullptr; }

MutexWait NamedMutex::Wait(std::uint32_t timeoutMs) {
  if (impl_->block == nullptr) return MutexWait::kFailed;
  timespec deadline {};
  clock_gettime(CLOCK_REALTIME, &deadline);
  deadline.tv_sec += timeoutMs / 1000;
  deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
  if (deadline.tv_nsec >= 1000000000L) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000L;
  }
  for (;;) {
    const int rc = pthread_mutex_timedlock(&impl_->block->mutex, &deadline);
    switch (rc) {
      case 0:
        return MutexWait::kObtained;
      case EOWNERDEAD:
        // We own it now; mark it usable again so that later waiters obtain it normally.
        pthread_mutex_consistent(&impl_->block->mutex);
        return MutexWait::kAbandoned;
      case ETIMEDOUT:
        return MutexWait::kTimedOut;
      case EINTR:
        continue;
      default:
        return MutexWait::kFailed;
    }
  }
}

void NamedMutex::Release() {
  if (impl_->block != nullptr) pthread_mutex_unlock(&impl_->block->mutex);
}
