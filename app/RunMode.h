#pragma once
// Which run mode a process starts in.

#include <string>
#include <string_view>
#include <vector>

// The argument text: the arguments after the program name, joined by spaces; an argument that
// is empty or holds white space or quotes is quoted, so that no argument vanishes.
[[nodiscard]] std::string ArgumentText(const std::vector<std::string>& arguments);

// Command-line mode for any non-empty argument text except "/forcerestart" (any letter case);
// otherwise the window.
[[nodiscard]] bool IsCommandLineRun(std::string_view argumentText);
