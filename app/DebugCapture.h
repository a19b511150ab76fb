#pragma once
// The debug capture: with "Debug Log" set, a thread listens on the debug-output channel and
// writes every line this process sends there into "DebugLog.txt" beside the executable,
// recreated at each start. A complete file ends with the line "Exit Debug Thread".

#include <chrono>
#include <cstdint>

// Starts the capture thread (clears the exit flag first). False when a capture already runs.
bool StartDebugCapture();

// The exit handshake: sets the exit flag, sends "Exit Debug Thread" and waits for the thread to
// stop, at most `bound`. Never blocks longer, also when the thread ended early on a set-up
// failure or never started. Returns true when the thread had stopped in an orderly way.
bool StopDebugCapture(std::chrono::milliseconds bound = std::chrono::seconds(3));

// The thread body: 0 after an orderly stop or when the log file cannot be created, 1 after a
// set-up or wait failure. Exposed for tests; StartDebugCapture runs it on its own thread.
int DebugCaptureThread();
