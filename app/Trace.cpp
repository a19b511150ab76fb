#include "app/Trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "app/ConfigIni.h"
#include "app/Utf8.h"
#include "platform/DebugChannel.h"
#include "platform/ExecutablePath.h"
#include "platform/FileAttributes.h"
#include "platform/ProcessInfo.h"

namespace {

// Texts are UTF-8, so a character limit needs up to four bytes per character.
constexpr std::size_t kBytesPerChar = 4;

struct TraceState {
  std::mutex lock;  // makes the build-and-emit of one line atomic
  std::uint32_t categoryMask = 7;
  bool toDebugOutput = true;
};

TraceState& State() {
  static TraceState* state = new TraceState();  // used by threads that may outlive main
  return *state;
}

bool IsWideSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Formats into a fixed buffer, then cuts at maxChars characters.
LUMATRACE_PRINTF(2, 0) std::string FormatCut(std::size_t maxChars, const char* format, va_list args) {
  static thread_local char buffer[kDebugPrintMaxChars * kBytesPerChar + 1];
  const std::size_t capacity = maxChars * kBytesPerChar + 1;
  const int n = std::vsnprintf(buffer, capacity, format, args);
  std::string text(buffer, n < 0 ? 0 : std::min(static_cast<std::size_t>(n), capacity - 1));
  Utf8Truncate(text, maxChars);
  return text;
}

void DebugPrintText(std::string text) {
  while (!text.empty() && IsWideSpace(text.back())) text.pop_back();
  text += "\r\n";
  SendDebugOutput(text);
}

// Cuts a trace line to its limit and turns a final LF into CR LF within that limit.
void FinishTraceLine(std::string& line) {
  Utf8Truncate(line, kTraceLineMaxChars);
  if (!line.empty() && line.back() == '\n' && (line.size() < 2 || line[line.size() - 2] != '\r')) {
    line.pop_back();
    // A full line gives up its last character so that CR LF still fits.
    if (Utf8Length(line) + 2 > kTraceLineMaxChars) Utf8Truncate(line, kTraceLineMaxChars - 2);
    line += "\r\n";
  }
}

LUMATRACE_PRINTF(3, 0) void EmitTraceLine(const TraceScope& scope, bool withPrefix, const char* format,
                                          va_list args) {
  TraceState& s = State();
  if ((scope.Category() & s.categoryMask) == 0) return;
  const std::uint32_t thread = CurrentThreadId();
  const std::uint32_t tick = TickCountMs();
  std::lock_guard lock(s.lock);
  std::string line;
  if (withPrefix) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "(%X-%d):", thread, static_cast<int>(tick));
    line = prefix;
    line += scope.Name();
    line += ":> ";
  }
  line += FormatCut(kTraceLineMaxChars, format, args);
  FinishTraceLine(line);
  if (s.toDebugOutput) DebugPrintText(line);
}

}  // namespace

void DebugPrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatCut(kDebugPrintMaxChars, format, args);
  va_end(args);
  DebugPrintText(std::move(text));
}

void TraceInit() {
  const std::string logTxt = PathInExecutableDirectory("Log.txt");
  if (FileExists(logTxt) && IsFileReadOnly(logTxt)) ClearReadOnlyAttribute(logTxt);
  (void)GetConfigInt(0, "Lumatrace Log", "LogCategory");  // read for compatibility, no effect
  TraceState& s = State();
  std::lock_guard lock(s.lock);
  s.toDebugOutput = true;
  s.categoryMask = 7;
}

void TraceShutdown() {
  // The file sink never opens; nothing to flush.
}

TraceScope::TraceScope(const char* name, int startExit, std::uint32_t category)
    : name_(name), startExit_(startExit), category_(category) {
  if (startExit_ == 1) TraceWrite(*this, "START --->>>\n");
}

TraceScope::~TraceScope() {
  if (startExit_ == 1) TraceWrite(*this, "EXIT <<<---\n");
}

void TraceWrite(const TraceScope& scope, const char* format, ...) {
  va_list args;
  va_start(args, format);
  EmitTraceLine(scope, true, format, args);
  va_end(args);
}

void TraceWriteRaw(const TraceScope& scope, const char* format, ...) {
  va_list args;
  va_start(args, format);
  EmitTraceLine(scope, false, format, args);
  va_end(args);
}

void TraceFail(const TraceScope& scope, const char* format, ...) {
  TraceWriteRaw(scope, "%s", kTraceFailMarker);
  va_list args;
  va_start(args, format);
  EmitTraceLine(scope, false, format, args);
  va_end(args);
}
