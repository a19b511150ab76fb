#pragma once
// The short program version shown in the window title.

#include <string>
#include <string_view>

// Keeps the text up to and including the second ".", then appends what follows the third:
// "2.61.9600.56" gives "2.61.56". A text with fewer than three dots is kept as it is.
[[nodiscard]] std::string ShortToolVersion(std::string_view fileVersion);

// Fills toolVersion from the version resource, cut to 15 characters; empty without resource.
void ReadToolVersion();
