// POSIX form of the debug-output channel: a queue inside the process. Its only listener is this
// process's own capture, which still checks the sender as the system channel requires.
#include "platform/DebugChannel.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>

#include "platform/ProcessInfo.h"

namespace {

// Beyond this backlog messages are dropped instead of blocking the sender.
constexpr std::size_t kMaxQueued = 65536;

struct Channel {
  std::mutex mutex;
  std::condition_variable ready;
  std::deque<DebugMessage> queue;
  bool listening = false;
};

Channel& TheChannel() {
  static Channel* channel = new Channel();  // outlives every thread that may still print
  return *channel;
}

bool EchoToStderr() {
  static const bool echo = [] {
    const char* v = std::getenv("LUMATRACE_TRACE");
    return v != nullptr && std::strcmp(v, "1") == 0;
  }();
  return echo;
}

}  // namespace

void SendDebugOutputAs(std::uint32_t processId, std::string_view text) {
  if (EchoToStderr() && processId == CurrentProcessId()) {
    std::fwrite(text.data(), 1, text.size(), stderr);
  }
  Channel& c = TheChannel();
  std::lock_guard lock(c.mutex);
  if (!c.listening || c.queue.size() >= kMaxQueued) return;
  c.queue.push_back(DebugMessage{processId, std::string(text)});
  c.ready.notify_one();
}

void SendDebugOutput(std::string_view text) { SendDebugOutputAs(CurrentProcessId(), text); }

bool ListenDebugOutput() {
  Channel& c = TheChannel();
  std::lock_guard lock(c.mutex);
  if (c.listening) return false;
  c.listening = true;
  c.queue.clear();
  return true;
}

std::optional<DebugMessage> WaitDebugOutput() {
  Channel& c = TheChannel();
  std::unique_lock lock(c.mutex);
  c.ready.wait(lock, [&] { return !c.queue.empty() || !c.listening; });
  if (c.queue.empty()) return std::nullopt;
  DebugMessage m = std::move(c.queue.front());
  c.queue.pop_front();
  return m;
}

void CloseDebugOutputListener() {
  Channel& c = TheChannel();
  std::lock_guard lock(c.mutex);
  c.listening = false;
  c.queue.clear();
  c.ready.notify_all();
}
