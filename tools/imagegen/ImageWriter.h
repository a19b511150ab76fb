#pragma once
// Writes the image a description stands for. The code bytes are deterministic filler (a
// pseudo-random sequence seeded by the image name), not firmware: the same description always
// gives the same bytes.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/imagegen/ImageDescription.h"

// False with a message in error when the description cannot be laid out (area outside the
// image, version text malformed, area too big for its capacity ...).
bool WriteImage(const ImageDescription& d, std::vector<std::uint8_t>& out, std::string& error);
