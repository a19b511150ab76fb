#pragma once
// Finding, opening, probing and recognising devices, over the device tree of the open channel.
// Results are 0 or a platform error unless said otherwise.

#include <cstdint>
#include <string>
#include <vector>

#include "device/DeviceRecord.h"

// The audio functions present, each relinked to its USB device where one matches.
[[nodiscard]] std::uint32_t EnumDevices(std::vector<DeviceListEntry>* list);

// Opens and binds the node into *record. 259 when the node has gone, 2 when the ancestor walk
// fails or is deeper than 31 levels. A failed open releases what it bound. *waitedMs (when
// given) receives the time spent waiting for the device descriptor.
[[nodiscard]] std::uint32_t OpenDeviceRecord(DevNode devnode, DeviceRecord* record, std::uint32_t* waitedMs = nullptr);
void CloseDeviceRecord(DeviceRecord* record);

// Builds the capabilities once (again with force); false when the descriptors cannot be read
// (the old capabilities stay).
[[nodiscard]] bool ProbeDevice(DeviceRecord* record, bool force);

// How a device can be reached, as the probe and the reset determine it.
struct DeviceChannel {
  bool vendorSet = false;        // a 32-byte vendor status read returned the signature
  bool legacyRead = false;       // vendor request 6 answered (only asked without the vendor set)
  int extUnitId = -1;            // from the configuration descriptor
  bool extUnitConfirmed = false; // and it answered the qualification
};
// With vendorSuffices, a device that answers the vendor set is asked nothing more.
[[nodiscard]] DeviceChannel DetermineChannel(const DeviceRecord& record, bool vendorSuffices = false);

// Learns the companion port of the root port a USB 3 capable chip sits on.
void LearnCompanionPort(const DeviceRecord& record, DevNode devnode);
[[nodiscard]] std::uint8_t LearnedCompanionPort();
void SetLearnedCompanionPort(std::uint8_t port);

// Whether a re-enumerated device is at the old one's place.
[[nodiscard]] bool SameDeviceLocation(const DeviceRecord& candidate, const DeviceRecord& old, bool compareChains);
// Location paths alone (the rule SameDeviceLocation applies on current systems).
[[nodiscard]] bool SameLocationPath(const std::string& a, const std::string& b);

// Bus address of the node and the hub above it (one level more for an audio function).
[[nodiscard]] std::uint32_t GetPortAndParent(DevNode devnode, std::uint32_t* port, DevNode* parent);

// The node's physical device object name. When *size (bytes, terminator included) is too
// small it receives the size needed and the result is 122.
[[nodiscard]] std::uint32_t GetDevInstPdoName(DevNode devnode, char* buffer, std::uint32_t* size);

// Reads the 9-byte header, then the whole configuration descriptor.
[[nodiscard]] bool ReadConfigDescriptor(std::uint64_t deviceId, std::vector<std::uint8_t>* config);
