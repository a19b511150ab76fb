#include "emulator/Descriptors.h"

#include <cstring>

#include "emulator/DeviceConfig.h"

namespace vcodec {
namespace {

void Put16(std::vector<std::uint8_t>& d, std::uint32_t v) {
  d.push_back(static_cast<std::uint8_t>(v & 0xFF));
  d.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

bool HasSerial(const DeviceSlot& slot) { return slot.identity.serial[0] != 0; }

const char* Text(const char (&field)[64]) { return field; }

}  // namespace

bool OffersExtUnit(const DeviceSlot& slot) {
  return static_cast<CommandSets>(slot.config.commands) != CommandSets::kVendor &&
         static_cast<ExtUnitLayout>(slot.config.extUnit) != ExtUnitLayout::kAbsent;
}

bool OffersVendor(const DeviceSlot& slot, std::uint8_t request) {
  switch (static_cast<CommandSets>(slot.config.commands)) {
    case CommandSets::kBoth: case CommandSets::kVendor: return true;
    case CommandSets::kLegacy: return request == 0x06 || request == 0x01;
    case CommandSets::kExtUnit: return false;
  }
  return false;
}

std::vector<std::uint8_t> DeviceDescriptor(const DeviceSlot& slot) {
  std::vector<std::uint8_t> d = {18, 1};
  Put16(d, 0x0200);
  d.insert(d.end(), {0x00, 0x00, 0x00, 64});
  Put16(d, slot.identity.vid);
  Put16(d, slot.identity.pid);
  Put16(d, slot.identity.rev);
  d.push_back(slot.identity.manufacturer[0] != 0 ? 1 : 0);
  d.push_back(slot.identity.product[0] != 0 ? 2 : 0);
  d.push_back(HasSerial(slot) ? 3 : 0);
  d.push_back(1);
  return d;
}

std::vector<std::uint8_t> ConfigurationDescriptor(const DeviceSlot& slot) {
  const auto layout = static_cast<ExtUnitLayout>(slot.config.extUnit);
  const bool unit = OffersExtUnit(slot);
  std::vector<std::uint8_t> d = {9, 2, 0, 0, 2, 1, 0, 0x80, 50};
  // Interface 0: AudioControl.
  d.insert(d.end(), {9, 4, kAudioControlInterface, 0, 0, 1, 1, 0, 0});
  if (unit && layout == ExtUnitLayout::kAfterStandard) {
    d.insert(d.end(), {7, 5, 0x83, 3, 8, 0, 10});  // an interrupt endpoint before the units
  }
  // Class-specific header, the extension unit, then input and output terminal.
  std::vector<std::uint8_t> header = {9, 0x24, 1};
  Put16(header, 0x0100);
  header.insert(header.end(), {0, 0, 1, 1});  // total length patched below
  std::vector<std::uint8_t> terminals = {12, 0x24, 2, 1, 0x01, 0x01, 0, 2, 3, 0, 0, 0,
                                         9, 0x24, 3, 2, 0x01, 0x03, 0, kExtUnitId, 0};
  std::vector<std::uint8_t> ext;
  if (unit) {
    ext = {13, 0x24, 8, kExtUnitId};
    Put16(ext, layout == ExtUnitLayout::kOtherCode ? 0x1234 : 0x3C5E);
    ext.insert(ext.end(), {1, 1, 2, 3, 0, 0, 1});
    ext.insert(ext.end(), {0x03});  // bmControls: controls 10 and 11 (as one byte of flags)
    ext.push_back(0);               // iExtension
    ext[0] = static_cast<std::uint8_t>(ext.size());
  }
  const std::uint32_t classBytes = static_cast<std::uint32_t>(header.size() + terminals.size() + ext.size());
  header[5] = static_cast<std::uint8_t>(classBytes & 0xFF);
  header[6] = static_cast<std::uint8_t>(classBytes >> 8);
  d.insert(d.end(), header.begin(), header.end());
  d.insert(d.end(), ext.begin(), ext.end());
  d.insert(d.end(), terminals.begin(), terminals.end());
  // Interface 1: AudioStreaming, zero-bandwidth setting only.
  d.insert(d.end(), {9, 4, 1, 0, 0, 1, 2, 0, 0});
  d[2] = static_cast<std::uint8_t>(d.size() & 0xFF);
  d[3] = static_cast<std::uint8_t>(d.size() >> 8);
  return d;
}

std::optional<std::vector<std::uint8_t>> StringDescriptor(const DeviceSlot& slot, std::uint8_t index) {
  if (index == 0) return std::vector<std::uint8_t>{4, 3, 0x09, 0x04};
  const char* text = nullptr;
  if (index == 1) text = Text(slot.identity.manufacturer);
  if (index == 2) text = Text(slot.identity.product);
  if (index == 3) text = Text(slot.identity.serial);
  if (text == nullptr || text[0] == 0) return std::nullopt;
  std::vector<std::uint8_t> d = {0, 3};
  for (std::size_t i = 0; i < 63 && text[i] != 0; ++i) {
    d.push_back(static_cast<std::uint8_t>(text[i]));  // 8-bit characters widen to UTF-16
    d.push_back(0);
  }
  d[0] = static_cast<std::uint8_t>(d.size());
  return d;
}

}  // namespace vcodec
