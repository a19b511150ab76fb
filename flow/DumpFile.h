#pragma once
// The files that dumps write: the memory read back, raw or as hex text. Relative paths are
// taken from the current directory and every missing directory on the way is created.

#include <cstdint>
#include <span>
#include <string>

// "41 42 ..." : two upper-case digits and a space per byte, 16 bytes per line, every line
// (the last, shorter one too) ended by CR LF.
[[nodiscard]] std::string FormatHexDump(std::span<const std::uint8_t> data);

// Writes bytes (raw) or their hex text to path, creating its directories. False with a
// message in *error when the file cannot be written completely.
[[nodiscard]] bool WriteDumpFile(const std::string& path, std::span<const std::uint8_t> data,
                                 bool hexForm, std::string* error);
