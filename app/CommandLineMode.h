#pragma once
// Command-line mode: one operation, console output, result files.

#include <string>
#include <vector>

// Runs the operation named by the arguments (argument 0 is the program).
void RunCommandLineMode(const std::vector<std::string>& arguments);
