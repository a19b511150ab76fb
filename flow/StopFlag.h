#pragma once
// The stop request of the running operation (the window's Stop button, a removed device).
// Flows read it before every open, reset, command attempt and chunk; a stopped operation ends
// as a failure without a failure post.

[[nodiscard]] bool IsStopRequested();
void SetStopRequested(bool stop);
