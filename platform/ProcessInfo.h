#pragma once
// Identifiers and clocks that trace lines carry.

#include <cstdint>

[[nodiscard]] std::uint32_t CurrentProcessId();
[[nodiscard]] std::uint32_t CurrentThreadId();
// Milliseconds since the system started, wrapping at 2^32 like the system tick count.
[[nodiscard]] std::uint32_t TickCountMs();
