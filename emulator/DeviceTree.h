#pragma once
// The tree the bus presents, as the Windows configuration manager would: host controller,
// USB 3 root hub, a hub on root port 2 (and its companion half on root port 5), and per
// device a USB device node with one audio-function child.

#include <cstdint>
#include <optional>
#include <string>

#include "device/usb/UsbSeam.h"
#include "emulator/BusLayout.h"

namespace vcodec {

inline constexpr DevNode kControllerNode = 1;
inline constexpr DevNode kRootHubNode = 2;
inline constexpr DevNode kHubNode = 3;
inline constexpr DevNode kCompanionHubNode = 4;
inline constexpr std::uint32_t kHubRootPort = 2;
inline constexpr std::uint32_t kCompanionRootPort = 5;

enum class NodeKind { kController, kRootHub, kHub, kCompanionHub, kDevice, kFunction };

struct NodeRef {
  NodeKind kind;
  const DeviceSlot* slot = nullptr;  // for device and function nodes
  std::uint32_t port = 0;            // hub port of a device
};

// Resolves a node number against the bus's current devices; nullopt when there is none.
[[nodiscard]] std::optional<NodeRef> FindNode(const BusImage& bus, DevNode node);

[[nodiscard]] std::string NodeInstanceId(const NodeRef& ref);
[[nodiscard]] std::optional<DevNode> NodeParent(const NodeRef& ref);
[[nodiscard]] std::optional<std::string> NodePropertyText(const NodeRef& ref, DevNode node, ::NodeProperty property);
[[nodiscard]] std::optional<std::uint32_t> NodeBusAddress(const NodeRef& ref);

}  // namespace vcodec
