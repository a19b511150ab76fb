#pragma once
// The system debug-output channel: every DebugPrint line is sent here, tagged with the sending
// process. At most one listener (the debug capture) receives the messages; without a listener
// a message goes nowhere, as on the system channel it stands for.
//
// With the environment variable LUMATRACE_TRACE=1 every message is also written to stderr, so
// a developer sees the trace without a capture.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct DebugMessage {
  std::uint32_t processId = 0;
  std::string text;
};

// Sends one message as the current process. Never blocks.
void SendDebugOutput(std::string_view text);
// Sends one message as if another process had sent it (the channel is shared between processes).
void SendDebugOutputAs(std::uint32_t processId, std::string_view text);

// Becomes the listener. False when the channel cannot be listened to (another listener holds it).
[[nodiscard]] bool ListenDebugOutput();
// Waits for the next message; nullopt when the listener was closed meanwhile.
[[nodiscard]] std::optional<DebugMessage> WaitDebugOutput();
// Stops listening; messages sent afterwards go nowhere.
void CloseDebugOutputListener();
