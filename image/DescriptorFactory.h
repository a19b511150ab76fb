#pragma once
// Which class reads a record: the common types first, then the leading records (recognised by
// their length), then the classes of the chip; anything else is a CDescDummy.

#include <cstdint>
#include <memory>

#include "image/Descriptor.h"

[[nodiscard]] std::unique_ptr<CDescriptor> CreateDescriptor(std::uint8_t type, std::uint8_t chipId,
                                                            std::uint16_t length);
