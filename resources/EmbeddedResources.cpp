#include "resources/EmbeddedResources.h"

std::span<const std::uint8_t> FindEmbeddedResource(std::string_view type, int id) {
  for (const EmbeddedResource* r = kEmbeddedResources; r->type != nullptr; ++r) {
    if (r->id == id && type == r->type) {
      return {reinterpret_cast<const std::uint8_t*>(r->data), r->size};
    }
  }
  return {};
}
