#include "flow/FlashCarry.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::uint8_t kPRecordType = 0x50;
constexpr std::size_t kMaxPayload = 16;

struct Walk {
  std::optional<std::size_t> pRecord;  // offset of the first long type-0x50 record
  std::size_t end = 0;                 // offset after the last record walked
  bool complete = false;               // every counted record lay inside the area
};

// Walks the count at byte 5 of records starting at byte 6.
Walk WalkRecords(std::span<const std::uint8_t> area) {
  Walk walk;
  if (area.size() < 6) return walk;
  std::size_t at = 6;
  const std::size_t count = area[5];
  for (std::size_t i = 0; i < count; ++i) {
    if (at >= area.size()) return walk;
    std::size_t length = area[at];
    if (area[at] == 0xFF) {
      if (at + 4 > area.size()) return walk;
      length = static_cast<std::size_t>(area[at + 2] | area[at + 3] << 8);
      if (length < 4) return walk;
      if (area[at + 1] == kPRecordType && !walk.pRecord) walk.pRecord = at;
    }
    if (length == 0 || at + length > area.size()) return walk;
    at += length;
  }
  walk.end = at;
  walk.complete = true;
  return walk;
}

std::size_t LongLength(std::span<const std::uint8_t> area, std::size_t at) {
  return static_cast<std::size_t>(area[at + 2] | area[at + 3] << 8);
}

}  // namespace

PRecordCarry CarryPRecord(std::span<const std::uint8_t> deviceArea, std::span<std::uint8_t> image) {
  deviceArea = deviceArea.first(std::min<std::size_t>(deviceArea.size(), kConfigAreaBytes));
  if (deviceArea.empty() || deviceArea[0] != 0x55) return PRecordCarry::kNoDeviceCode;
  const Walk device = WalkRecords(deviceArea);
  if (!device.pRecord) return PRecordCarry::kNoDeviceRecord;
  const std::size_t total = LongLength(deviceArea, *device.pRecord);
  if (total - 4 > kMaxPayload) return PRecordCarry::kPayloadTooLong;
  const auto record = deviceArea.subspan(*device.pRecord, total);

  if (image.size() <= kConfigAreaOffset) return PRecordCarry::kNoImageArea;
  const std::span<std::uint8_t> area = image.subspan(
      kConfigAreaOffset, std::min<std::size_t>(image.size() - kConfigAreaOffset, kConfigAreaBytes));
  const Walk own = WalkRecords(area);
  if (!own.complete && !own.pRecord) return PRecordCarry::kNoImageArea;
  if (own.pRecord) {
    // A record of another length would overwrite its neighbours or leave stale bytes.
    if (LongLength(area, *own.pRecord) != total) return PRecordCarry::kImageLengthDiffers;
    std::copy(record.begin(), record.end(), area.begin() + static_cast<std::ptrdiff_t>(*own.pRecord));
    return PRecordCarry::kCarried;
  }
  if (own.end + total > area.size() || area[5] == 0xFF) return PRecordCarry::kNoRoom;
  std::copy(record.begin(), record.end(), area.begin() + static_cast<std::ptrdiff_t>(own.end));
  area[5] = static_cast<std::uint8_t>(area[5] + 1);
  return PRecordCarry::kCarried;
}

void KeepSectorInImage(std::span<const std::uint8_t, kKeptSectorBytes> sector,
                       std::vector<std::uint8_t>& image) {
  if (image.size() < kKeptSectorAddress + kKeptSectorBytes) {
    image.resize(kKeptSectorAddress + kKeptSectorBytes, 0xFF);
  }
  std::copy(sector.begin(), sector.end(), image.begin() + kKeptSectorAddress);
}
