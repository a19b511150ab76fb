#pragma once
// The program's version resource: the four-part "FileVersion" text, such as "2.61.9600.56".

#include <optional>
#include <string>

// Empty when the program carries no version resource.
[[nodiscard]] std::optional<std::string> ReadFileVersionResource();
