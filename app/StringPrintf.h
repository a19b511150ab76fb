#pragma once
// printf formatting into a std::string (the system's texts are printf formats).

#include <string>

#include "app/Trace.h"  // LUMATRACE_PRINTF

[[nodiscard]] std::string StringPrintf(const char* format, ...) LUMATRACE_PRINTF(1, 2);
