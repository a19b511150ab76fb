#pragma once
// The debug lines (trace) that a piece of code writes in this process.

#include <functional>
#include <string>
#include <vector>

[[nodiscard]] std::vector<std::string> CaptureTrace(const std::function<void()>& fn);
// Whether any captured line contains text.
[[nodiscard]] bool TraceHas(const std::vector<std::string>& lines, const std::string& text);
