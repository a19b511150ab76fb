#pragma once
// Where an image file named by the operator or the configuration lies. "/" and "\" are the same
// separator; a path that is not absolute (no drive, no leading separator, no network prefix) is
// taken relative to the executable's directory; the result names an existing regular file. A
// name with wildcards ("*", "?") resolves to the first match in name order.

#include <optional>
#include <string>

[[nodiscard]] std::optional<std::string> ResolveImagePath(const std::string& path);
