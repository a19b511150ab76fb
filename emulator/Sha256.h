#pragma once
// SHA-256 of a byte range, as lowercase hex (what `show` prints for a memory's contents).

#include <cstddef>
#include <cstdint>
#include <string>

namespace vcodec {

[[nodiscard]] std::string Sha256Hex(const std::uint8_t* data, std::size_t size);

}  // namespace vcodec
