#pragma once
// The USB seam: what every backend (emulator, libusb, Windows proxy driver) provides to the
// device layer. Discovery, probing, the command sets and reset are written once above it.
//
// Errors are platform error numbers in the Windows numbering (kUsbError*), translated once at
// the backend's edge. No call throws.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Platform errors the device layer distinguishes.
inline constexpr std::uint32_t kUsbErrorSuccess = 0;
inline constexpr std::uint32_t kUsbErrorFileNotFound = 2;
inline constexpr std::uint32_t kUsbErrorPathNotFound = 3;     // proxy not open
inline constexpr std::uint32_t kUsbErrorAccessDenied = 5;     // no permission to open the device
inline constexpr std::uint32_t kUsbErrorInvalidHandle = 6;
inline constexpr std::uint32_t kUsbErrorNotReady = 21;        // device still starting
inline constexpr std::uint32_t kUsbErrorGenFailure = 31;      // stall / device refused the request
inline constexpr std::uint32_t kUsbErrorInvalidParameter = 87;
inline constexpr std::uint32_t kUsbErrorInvalidData = 13;     // property missing (no friendly name)
inline constexpr std::uint32_t kUsbErrorNoMoreItems = 259;
inline constexpr std::uint32_t kUsbErrorDeviceNotConnected = 1167;
inline constexpr std::uint32_t kUsbErrorTimeout = 1460;
inline constexpr std::uint32_t kUsbErrorNotFound = 1168;

// A node of the device tree. 0 names no node. A device that leaves the bus and comes back is a
// new node with a new number.
using DevNode = std::uint32_t;

// Device setup classes and interface classes that discovery asks for.
enum class DeviceSet {
  kAudioFunctions,  // setup class Media on the "USB" enumerator, present only
  kUsbDevices,      // present USB device interfaces ({A5DCBF10-...})
};

enum class InterfaceClass {
  kAudio,      // KSCATEGORY_AUDIO, record kind 0
  kUsbDevice,  // USB device interface, record kind 2
  kCamera,     // record kind 1
  kVideo,      // KSCATEGORY_VIDEO, the second choice of every kind
};

enum class NodeProperty {
  kFriendlyName,
  kDeviceDescription,
  kClassName,      // "MEDIA", "USB", ...
  kLocationPath,   // first of the location paths: "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)#USBMI(0)"
  kPhysicalObjectName,
};

struct ControlSetup {
  std::uint8_t requestType = 0;  // bmRequestType; bit 7 set = data to the host
  std::uint8_t request = 0;
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  std::uint16_t length = 0;      // wLength: bytes of the data phase
};

struct TransferResult {
  std::uint32_t error = kUsbErrorSuccess;  // platform error; 0 = the device completed the request
  std::uint32_t transferred = 0;           // bytes actually moved in the data phase
};

// The device tree, as Windows' configuration manager presents it.
class UsbDeviceTree {
 public:
  virtual ~UsbDeviceTree() = default;

  // Members of a set in a stable enumeration order; an empty list when there are none.
  [[nodiscard]] virtual std::vector<DevNode> Enumerate(DeviceSet set) = 0;
  // True when the node's status is readable and carries the has-problem bit.
  [[nodiscard]] virtual bool HasProblem(DevNode node) = 0;
  // "USB\VID_3C5E&PID_4C15&MI_00\6&1A2B3C&0&0000"; nullopt when the node does not exist.
  [[nodiscard]] virtual std::optional<std::string> InstanceId(DevNode node) = 0;
  // The parent node, or nullopt at the top of the tree or for a node that does not exist.
  [[nodiscard]] virtual std::optional<DevNode> Parent(DevNode node) = 0;
  // A text property, or nullopt when the node lacks it.
  [[nodiscard]] virtual std::optional<std::string> Property(DevNode node, NodeProperty property) = 0;
  // The bus address (port number on the parent hub), or nullopt when unreadable.
  [[nodiscard]] virtual std::optional<std::uint32_t> BusAddress(DevNode node) = 0;
  // The companion port of a root-hub port (USB 3 port paired with a USB 2 port), or nullopt.
  [[nodiscard]] virtual std::optional<std::uint8_t> CompanionPort(DevNode rootHub, std::uint32_t port) = 0;

  // Opens the first interface of the class on the node (exclusively). On success *handle is
  // set and 0 returned; otherwise a platform error (kUsbErrorAccessDenied when the user may
  // not open it, kUsbErrorNotFound when the node has no such interface).
  [[nodiscard]] virtual std::uint32_t OpenInterface(DevNode node, InterfaceClass cls,
                                                    std::uint64_t* handle) = 0;
  virtual void CloseInterface(std::uint64_t handle) = 0;

  // Called (on any thread) when devices arrive or leave. One listener; empty to remove.
  virtual void SetChangeListener(std::function<void()> listener) = 0;
};

// The control channel: bind an open interface to a device id, send control requests, release.
class UsbControlChannel {
 public:
  virtual ~UsbControlChannel() = default;

  // Binds an interface handle; on success *deviceId (nonzero) names the USB device behind it.
  [[nodiscard]] virtual std::uint32_t Bind(std::uint64_t interfaceHandle, std::uint64_t* deviceId) = 0;
  // One control request on endpoint 0, waiting at most timeoutMs. data holds setup.length bytes
  // (sent for OUT requests, filled for IN requests). A device that has left the bus fails with
  // kUsbErrorDeviceNotConnected; a refused request with kUsbErrorGenFailure.
  [[nodiscard]] virtual TransferResult Submit(std::uint64_t deviceId, const ControlSetup& setup,
                                              std::uint8_t* data, std::uint32_t timeoutMs) = 0;
  virtual void Release(std::uint64_t deviceId) = 0;
};

// A backend provides both services.
class UsbBackend : public UsbDeviceTree, public UsbControlChannel {};
