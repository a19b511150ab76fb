#include "tests/emulator/TestImage.h"

#include <algorithm>

namespace vcodec_test {
namespace {

void StringRecord(std::vector<std::uint8_t>& area, std::uint8_t type, const std::string& text) {
  if (text.empty()) return;
  area.push_back(static_cast<std::uint8_t>(text.size() + 4));
  area.push_back(type);
  area.push_back(static_cast<std::uint8_t>(text.size() + 2));
  area.push_back(3);
  area.insert(area.end(), text.begin(), text.end());
}

}  // namespace

std::vector<std::uint8_t> BuildArea(const ImageRecipe& recipe) {
  std::vector<std::uint8_t> area = {recipe.bootCode, 0xA5, static_cast<std::uint8_t>(recipe.chipId << 3), 0, 0, 0};
  // Leading records: HWAPVersion and EEPInfo, as every image carries them.
  area.insert(area.end(), {6, 47, 0x21, 0x00, 0x60, 0x10, 3, 8, 0x00});
  if (recipe.codeLength >= 8) {
    // The code record: extended header, data offset and length, then the code bytes.
    const std::size_t n = recipe.codeLength;
    area.insert(area.end(), {0xFF, 0xE7, static_cast<std::uint8_t>(n & 0xFF), static_cast<std::uint8_t>(n >> 8),
                             23, 0, static_cast<std::uint8_t>((n - 8) & 0xFF), static_cast<std::uint8_t>((n - 8) >> 8)});
    area.resize(area.size() + n - 8, 0x00);
  }
  StringRecord(area, 1, recipe.manufacturer);
  StringRecord(area, 2, recipe.product);
  StringRecord(area, 3, recipe.serial);
  area.insert(area.end(), {8, 4, static_cast<std::uint8_t>(recipe.vid & 0xFF), static_cast<std::uint8_t>(recipe.vid >> 8),
                           static_cast<std::uint8_t>(recipe.pid & 0xFF), static_cast<std::uint8_t>(recipe.pid >> 8),
                           static_cast<std::uint8_t>(recipe.rev & 0xFF), static_cast<std::uint8_t>(recipe.rev >> 8)});
  const std::size_t records = (recipe.codeLength > 0 ? 1 : 0) + 2 + (recipe.manufacturer.empty() ? 0 : 1) + (recipe.product.empty() ? 0 : 1) +
                              (recipe.serial.empty() ? 0 : 1) + 1;
  area[3] = static_cast<std::uint8_t>(area.size() & 0xFF);
  area[4] = static_cast<std::uint8_t>(area.size() >> 8);
  area[5] = static_cast<std::uint8_t>(records);
  return area;
}

std::vector<std::uint8_t> BuildImage(const ImageRecipe& recipe) {
  std::vector<std::uint8_t> image(recipe.size, 0xFF);
  const std::vector<std::uint8_t> area = BuildArea(recipe);
  std::copy(area.begin(), area.end(), image.begin() + static_cast<std::ptrdiff_t>(recipe.areaAt));
  const std::size_t versionAt = recipe.size >= 0x10000 ? 0x100C : 0x11B;
  std::copy(recipe.version, recipe.version + 8, image.begin() + static_cast<std::ptrdiff_t>(versionAt));
  if (recipe.tag && recipe.size >= 0xF000) {
    image[0xEFFE] = 0x55;
    image[0xEFFF] = 0xAA;
  }
  return image;
}

ImageRecipe SmallImageRecipe(std::uint8_t bootCode) {
  ImageRecipe recipe;
  recipe.size = 0x4000;
  recipe.areaAt = 0;
  recipe.bootCode = bootCode;
  return recipe;
}

}  // namespace vcodec_test
