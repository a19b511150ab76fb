#pragma once
// Data carried inside the program, addressed by type and id ("ICINI" 3032, "BINARY" 3012 ...).
// The table is generated at build time from the files listed in resources/CMakeLists.txt.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

struct EmbeddedResource {
  const char* type;
  int id;
  const unsigned char* data;
  std::size_t size;
};

// Terminated by an entry whose type is null.
extern const EmbeddedResource kEmbeddedResources[];

// The bytes of resource (type, id); an empty span when the program carries no such resource.
// Type names are compared exactly.
[[nodiscard]] std::span<const std::uint8_t> FindEmbeddedResource(std::string_view type, int id);
