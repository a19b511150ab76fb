#pragma once
// A JSON string literal of 8-bit text (device strings come from images: anything may be in them).

#include <string>

namespace emu {

[[nodiscard]] std::string JsonString(const std::string& text);

}  // namespace emu
