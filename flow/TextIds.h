#pragma once
// Text ids: every outcome of an operation is one of these string-table ids (41500-42041).

#include <cstdint>

enum TextId : std::uint16_t {
#define LUMATRACE_TEXT(id, name, text) name = id,
#include "resources/StringTable.inc"
#undef LUMATRACE_TEXT
};

// The text of an id exactly as shown to the user; null for an id the table does not hold.
[[nodiscard]] const char* TextOfId(int id);

// The final success ids: posting one of them clears lastErrorCode.
[[nodiscard]] bool IsFinalSuccessId(int id);
