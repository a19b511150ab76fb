#pragma once
// The debug print and the trace log. Every line ends up on the debug-output channel
// (platform/DebugChannel.h), which the debug capture writes into "DebugLog.txt".
//
//   DebugPrint: one line, cut at 4093 characters, trailing white space removed, exactly one CR LF.
//   TraceWrite: "(%X-%d):" thread id and tick count, the scope name, ":> ", the text; the whole
//               line cut at 511 characters; a final LF becomes CR LF.
//   TraceWriteRaw: the text alone, with the same cut.
//   TraceFail: the failure convention, the marker "----------------: " and then the message.

#include <cstdint>

#if defined(__GNUC__)
#define LUMATRACE_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#else
#define LUMATRACE_PRINTF(fmt, args)
#endif

inline constexpr std::size_t kDebugPrintMaxChars = 4093;
inline constexpr std::size_t kTraceLineMaxChars = 511;
inline constexpr const char* kTraceFailMarker = "----------------: ";

void DebugPrint(const char* format, ...) LUMATRACE_PRINTF(1, 2);

// Start-up initialisation of the trace log; TraceShutdown is its counterpart at exit.
void TraceInit();
void TraceShutdown();

// An operation's trace identity, built on its stack. With startExit set it writes
// "START --->>>" when it opens and "EXIT <<<---" when it closes, on every path.
class TraceScope {
 public:
  // name: class and method joined by two colons, as "CDevFlow::DEV_OpenDevice".
  explicit TraceScope(const char* name, int startExit = 1, std::uint32_t category = 1);
  ~TraceScope();
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

  [[nodiscard]] const char* Name() const { return name_; }
  [[nodiscard]] std::uint32_t Category() const { return category_; }

 private:
  const char* name_;
  int startExit_;
  std::uint32_t category_;
};

void TraceWrite(const TraceScope& scope, const char* format, ...) LUMATRACE_PRINTF(2, 3);
void TraceWriteRaw(const TraceScope& scope, const char* format, ...) LUMATRACE_PRINTF(2, 3);
void TraceFail(const TraceScope& scope, const char* format, ...) LUMATRACE_PRINTF(2, 3);
