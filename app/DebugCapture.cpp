#include "app/DebugCapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

#include "app/Trace.h"
#include "platform/DebugChannel.h"
#include "platform/ExecutablePath.h"
#include "platform/ProcessInfo.h"

namespace {

// A manual-reset event: set once by the capture thread when it has stopped.
class DoneEvent {
 public:
  void Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
  }
  void Set() {
    std::lock_guard lock(mutex_);
    set_ = true;
    cv_.notify_all();
  }
  // Marks that the thread body returned, whether or not it set the event.
  void MarkEnded() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    cv_.notify_all();
  }
  // Marks that the thread listens (or gave up trying), so that no early line is lost.
  void MarkListening() {
    std::lock_guard lock(mutex_);
    listening_ = true;
    cv_.notify_all();
  }
  void WaitListening(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, bound, [&] { return listening_ || ended_; });
  }
  void Rearm() {
    std::lock_guard lock(mutex_);
    set_ = false;
    ended_ = false;
    listening_ = false;
  }
  // True when the event was set within the bound; returns early when the thread ended without.
  bool WaitFor(std::chrono::milliseconds bound) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, bound, [&] { return set_ || ended_; });
    return set_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool set_ = false;
  bool ended_ = false;
  bool listening_ = false;
};

constexpr const char* kExitLine = "Exit Debug Thread\r\n";

std::atomic<int> g_captureExitFlag{0};
std::atomic<bool> g_threadEnded{false};
DoneEvent g_captureDoneEvent;
std::mutex g_threadMutex;
std::thread g_captureThread;
int g_debugLogFile = -1;

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int DebugCaptureThread() {
  const std::string path = PathInExecutableDirectory("DebugLog.txt");
  if (g_debugLogFile >= 0) {
    ::close(g_debugLogFile);
    g_debugLogFile = -1;
  }
  // Unbuffered: every line is in the file as soon as it arrives, so a crash loses nothing.
  g_debugLogFile = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (g_debugLogFile < 0) return 0;
  g_captureDoneEvent.Reset();

  if (!ListenDebugOutput()) {
    std::fprintf(stderr, "ERROR: CreateEvent DBWIN_BUFFER_READY\\n");
    ::close(g_debugLogFile);
    g_debugLogFile = -1;
    return 1;
  }
  g_captureDoneEvent.MarkListening();
  std::fprintf(stderr, "Tracing PID: %u\n", CurrentProcessId());
  const std::uint32_t self = CurrentProcessId();
  int result = 0;
  // The exit handshake sets the flag and then sends the exit line; the lines queued before it
  // are written too, so the file ends with the exit line.
  for (;;) {
    std::optional<DebugMessage> message = WaitDebugOutput();
    if (!message) {
      std::fprintf(stderr, "ERROR: WaitForSingleObject\\n");
      result = 1;
      break;
    }
    if (message->processId != self) continue;
    WriteAll(g_debugLogFile, message->text);
    if (g_captureExitFlag.load() != 0 && message->text == kExitLine) break;
  }
  CloseDebugOutputListener();
  ::close(g_debugLogFile);
  g_debugLogFile = -1;
  if (result == 0) g_captureDoneEvent.Set();
  return result;
}

bool StartDebugCapture() {
  std::lock_guard lock(g_threadMutex);
  if (g_captureThread.joinable()) return false;
  g_captureExitFlag.store(0);
  g_threadEnded.store(false);
  g_captureDoneEvent.Rearm();
  g_captureThread = std::thread([] {
    (void)DebugCaptureThread();
    g_threadEnded.store(true);
    g_captureDoneEvent.MarkEnded();
  });
  g_captureDoneEvent.WaitListening(std::chrono::seconds(2));
  return true;
}

bool StopDebugCapture(std::chrono::milliseconds bound) {
  std::lock_guard lock(g_threadMutex);
  g_captureExitFlag.store(1);
  DebugPrint("Exit Debug Thread");
  if (!g_captureThread.joinable()) return false;
  const bool stopped = g_captureDoneEvent.WaitFor(bound);
  if (!stopped) {
    // Wake a thread still waiting on the channel and give it a moment to return.
    CloseDebugOutputListener();
    g_captureDoneEvent.WaitFor(std::chrono::milliseconds(100));
  }
  if (g_threadEnded.load()) {
    g_captureThread.join();
  } else {
    g_captureThread.detach();  // stuck in a write; exit must not wait for it
  }
  return stopped;
}
