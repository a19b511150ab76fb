#include <libusb.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>

#include "device/usb/LibusbBackend.h"
#include "device/usb/UsbBackendSelect.h"
#include "device/usb/LibusbErrors.h"
#include "device/usb/LibusbNaming.h"

namespace {

constexpr std::uint8_t kClassAudio = 1;
constexpr std::uint8_t kSubclassAudioControl = 1;

struct Node {
  enum class Kind { kRootHub, kDevice, kFunction } kind = Kind::kDevice;
  UsbPortPath path;
  std::uint8_t address = 0;
  std::uint16_t vid = 0;
  std::uint16_t pid = 0;
  bool superSpeed = false;
  std::uint8_t interfaceNumber = 0;  // functions
  DevNode parent = 0;
};

// (bus, address, interface or -1): a device that re-enumerates gets a new address, so a new key.
using NodeKey = std::tuple<int, int, int>;

struct OpenedInterface {
  libusb_device_handle* handle = nullptr;
  int interfaceNumber = -1;
};

class LibusbBackend : public UsbBackend {
 public:
  explicit LibusbBackend(libusb_context* ctx) : ctx_(ctx) { Refresh(); }

  ~LibusbBackend() override {
    SetChangeListener({});
    std::lock_guard lock(mutex_);
    for (auto& [id, open] : open_) Close(open);
    libusb_exit(ctx_);
  }

  std::vector<DevNode> Enumerate(DeviceSet set) override {
    std::lock_guard lock(mutex_);
    Refresh();
    std::vector<std::pair<std::tuple<int, std::vector<std::uint8_t>, int>, DevNode>> order;
    for (const auto& [id, n] : nodes_) {
      const bool wanted = set == DeviceSet::kAudioFunctions ? n.kind == Node::Kind::kFunction
                                                            : n.kind == Node::Kind::kDevice;
      if (wanted) order.push_back({{n.path.bus, n.path.ports, n.interfaceNumber}, id});
    }
    std::sort(order.begin(), order.end());
    std::vector<DevNode> out;
    for (const auto& o : order) out.push_back(o.second);
    return out;
  }

  bool HasProblem(DevNode) override { return false; }

  std::optional<std::string> InstanceId(DevNode node) override {
    std::lock_guard lock(mutex_);
    const Node* n = Find(node);
    if (n == nullptr) return std::nullopt;
    switch (n->kind) {
      case Node::Kind::kRootHub: return LibusbRootHubInstanceId(n->path.bus, n->superSpeed);
      case Node::Kind::kDevice: return LibusbDeviceInstanceId(n->vid, n->pid, n->path);
      case Node::Kind::kFunction: return LibusbFunctionInstanceId(n->vid, n->pid, n->interfaceNumber, n->path);
    }
    return std::nullopt;
  }

  std::optional<DevNode> Parent(DevNode node) override {
    std::lock_guard lock(mutex_);
    const Node* n = Find(node);
    if (n == nullptr || n->parent == 0) return std::nullopt;
    return n->parent;
  }

  std::optional<std::string> Property(DevNode node, NodeProperty property) override {
    std::lock_guard lock(mutex_);
    const Node* n = Find(node);
    if (n == nullptr) return std::nullopt;
    const bool function = n->kind == Node::Kind::kFunction;
    switch (property) {
      case NodeProperty::kFriendlyName: return std::nullopt;  // would need the device opened
      case NodeProperty::kDeviceDescription: return function ? "USB Audio Device" : "USB Composite Device";
      case NodeProperty::kClassName: return function ? "MEDIA" : "USB";
      case NodeProperty::kLocationPath:
        return function ? LibusbFunctionLocationPath(n->path, n->interfaceNumber) : LibusbLocationPath(n->path);
      case NodeProperty::kPhysicalObjectName: return LibusbPhysicalObjectName(n->path.bus, n->address);
    }
    return std::nullopt;
  }

  std::optional<std::uint32_t> BusAddress(DevNode node) override {
    std::lock_guard lock(mutex_);
    const Node* n = Find(node);
    if (n == nullptr) return std::nullopt;
    if (n->kind == Node::Kind::kFunction) return n->interfaceNumber;
    return n->path.ports.empty() ? 0u : n->path.ports.back();
  }

  // Linux keeps the two halves of a USB 3 port on separate buses; there is no companion here.
  std::optional<std::uint8_t> CompanionPort(DevNode, std::uint32_t) override { return std::nullopt; }

  std::uint32_t OpenInterface(DevNode node, InterfaceClass cls, std::uint64_t* handle) override {
    std::lock_guard lock(mutex_);
    *handle = 0;
    const Node* n = Find(node);
    if (n == nullptr) return kUsbErrorDeviceNotConnected;
    const bool fits = (n->kind == Node::Kind::kFunction && cls == InterfaceClass::kAudio) ||
                      (n->kind == Node::Kind::kDevice && cls == InterfaceClass::kUsbDevice);
    if (!fits) return kUsbErrorNotFound;
    libusb_device* dev = FindDevice(n->path.bus, n->address);
    if (dev == nullptr) return kUsbErrorDeviceNotConnected;
    const int iface = n->kind == Node::Kind::kFunction ? n->interfaceNumber : AudioControlInterface(dev);
    OpenedInterface open;
    int e = libusb_open(dev, &open.handle);
    libusb_unref_device(dev);
    if (e == LIBUSB_ERROR_ACCESS) {
      std::fprintf(stderr,
                   "lumatrace: no permission to open the USB device %04x:%04x on bus %u (%s).\n"
                   "lumatrace: install the udev rule %s (see README, \"Using a real codec\") and plug the "
                   "codec in again.\n",
                   n->vid, n->pid, n->path.bus, LibusbLocationPath(n->path).c_str(), kUdevRuleName);
    }
    if (e != LIBUSB_SUCCESS) return LibusbErrorToPlatform(e);
    if (iface >= 0) {
      // The kernel's audio driver owns the AudioControl interface; take it for as long as the
      // device is open (released, and given back, at close).
      (void)libusb_set_auto_detach_kernel_driver(open.handle, 1);
      e = libusb_claim_interface(open.handle, iface);
      if (e != LIBUSB_SUCCESS) {
        libusb_close(open.handle);
        return LibusbErrorToPlatform(e);
      }
      open.interfaceNumber = iface;
    }
    *handle = nextHandle_++;
    open_[*handle] = open;
    return kUsbErrorSuccess;
  }

  void CloseInterface(std::uint64_t handle) override {
    std::lock_guard lock(mutex_);
    auto it = open_.find(handle);
    if (it == open_.end()) return;
    Close(it->second);
    open_.erase(it);
    bound_.erase(handle);
  }

  void SetChangeListener(std::function<void()> listener) override {
    {
      std::lock_guard lock(listenerMutex_);
      listener_ = std::move(listener);
    }
    const bool want = static_cast<bool>(listener_);
    if (want && !hotplugThread_.joinable() && libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) != 0) {
      const int e = libusb_hotplug_register_callback(
          ctx_, static_cast<libusb_hotplug_event>(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
          LIBUSB_HOTPLUG_NO_FLAGS, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY, LIBUSB_HOTPLUG_MATCH_ANY,
          &LibusbBackend::OnHotplug, this, &hotplugHandle_);
      if (e == LIBUSB_SUCCESS) {
        stopEvents_ = false;
        hotplugThread_ = std::thread([this] {
          while (!stopEvents_) {
            timeval tv{0, 200000};
            (void)libusb_handle_events_timeout_completed(ctx_, &tv, nullptr);
          }
        });
      }
    } else if (!want && hotplugThread_.joinable()) {
      stopEvents_ = true;
      libusb_hotplug_deregister_callback(ctx_, hotplugHandle_);  // wakes the event loop
      hotplugThread_.join();
    }
  }

  std::uint32_t Bind(std::uint64_t interfaceHandle, std::uint64_t* deviceId) override {
    std::lock_guard lock(mutex_);
    *deviceId = 0;
    if (open_.count(interfaceHandle) == 0) return kUsbErrorInvalidHandle;
    bound_.insert(interfaceHandle);
    *deviceId = interfaceHandle;
    return kUsbErrorSuccess;
  }

  TransferResult Submit(std::uint64_t deviceId, const ControlSetup& setup, std::uint8_t* data,
                        std::uint32_t timeoutMs) override {
    libusb_device_handle* h = nullptr;
    {
      std::lock_guard lock(mutex_);
      auto it = open_.find(deviceId);
      if (it == open_.end() || bound_.count(deviceId) == 0) return {kUsbErrorInvalidHandle, 0};
      h = it->second.handle;
    }
    const int n = libusb_control_transfer(h, setup.requestType, setup.request, setup.value, setup.index, data,
                                          setup.length, timeoutMs);
    if (n < 0) return {LibusbErrorToPlatform(n), 0};
    return {kUsbErrorSuccess, static_cast<std::uint32_t>(n)};
  }

  void Release(std::uint64_t deviceId) override {
    std::lock_guard lock(mutex_);
    bound_.erase(deviceId);
  }

 private:
  static int LIBUSB_CALL OnHotplug(libusb_context*, libusb_device*, libusb_hotplug_event, void* self) {
    auto* backend = static_cast<LibusbBackend*>(self);
    std::function<void()> listener;
    {
      std::lock_guard lock(backend->listenerMutex_);
      listener = backend->listener_;
    }
    if (listener) listener();
    return 0;
  }

  static void Close(OpenedInterface& open) {
    if (open.interfaceNumber >= 0) (void)libusb_release_interface(open.handle, open.interfaceNumber);
    libusb_close(open.handle);
    open.handle = nullptr;
  }

  const Node* Find(DevNode node) const {
    auto it = nodes_.find(node);
    return it == nodes_.end() ? nullptr : &it->second;
  }

  // A referenced libusb device (the caller unrefs), or null when it has left.
  libusb_device* FindDevice(std::uint8_t bus, std::uint8_t address) {
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(ctx_, &list);
    libusb_device* found = nullptr;
    for (ssize_t i = 0; i < count; ++i) {
      if (libusb_get_bus_number(list[i]) == bus && libusb_get_device_address(list[i]) == address) {
        found = libusb_ref_device(list[i]);
        break;
      }
    }
    if (count >= 0) libusb_free_device_list(list, 1);
    return found;
  }

  static int AudioControlInterface(libusb_device* dev) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(dev, &config) != LIBUSB_SUCCESS) return -1;
    int found = -1;
    for (int i = 0; i < config->bNumInterfaces && found < 0; ++i) {
      const libusb_interface& itf = config->interface[i];
      if (itf.num_altsetting > 0 && itf.altsetting[0].bInterfaceClass == kClassAudio &&
          itf.altsetting[0].bInterfaceSubClass == kSubclassAudioControl) {
        found = itf.altsetting[0].bInterfaceNumber;
      }
    }
    libusb_free_config_descriptor(config);
    return found;
  }

  DevNode NodeFor(const NodeKey& key, const Node& node, std::set<DevNode>& seen) {
    auto it = keys_.find(key);
    DevNode id = 0;
    if (it == keys_.end()) {
      id = nextNode_++;
      keys_[key] = id;
    } else {
      id = it->second;
    }
    nodes_[id] = node;
    seen.insert(id);
    return id;
  }

  // Rescans the bus: known devices keep their nodes, new ones get new numbers, gone ones vanish.
  void Refresh() {
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(ctx_, &list);
    if (count < 0) return;
    std::set<DevNode> seen;
    std::map<libusb_device*, DevNode> byDevice;
    // Parents come before children when sorted by depth.
    std::vector<libusb_device*> devices(list, list + count);
    std::vector<std::pair<int, libusb_device*>> byDepth;
    for (libusb_device* d : devices) {
      std::uint8_t ports[8];
      const int depth = libusb_get_port_numbers(d, ports, sizeof ports);
      byDepth.push_back({depth < 0 ? 0 : depth, d});
    }
    std::stable_sort(byDepth.begin(), byDepth.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [depth, d] : byDepth) {
      Node n;
      n.path.bus = libusb_get_bus_number(d);
      n.address = libusb_get_device_address(d);
      std::uint8_t ports[8];
      const int np = libusb_get_port_numbers(d, ports, sizeof ports);
      if (np > 0) n.path.ports.assign(ports, ports + np);
      libusb_device_descriptor desc{};
      (void)libusb_get_device_descriptor(d, &desc);
      n.vid = desc.idVendor;
      n.pid = desc.idProduct;
      n.superSpeed = libusb_get_device_speed(d) >= LIBUSB_SPEED_SUPER;
      libusb_device* parent = libusb_get_parent(d);
      if (parent == nullptr || n.path.ports.empty()) {
        n.kind = Node::Kind::kRootHub;
        n.path.ports.clear();
      } else {
        auto p = byDevice.find(parent);
        n.parent = p == byDevice.end() ? 0 : p->second;
      }
      const DevNode id = NodeFor({n.path.bus, n.address, -1}, n, seen);
      byDevice[d] = id;
      if (n.kind == Node::Kind::kRootHub) continue;
      libusb_config_descriptor* config = nullptr;
      if (libusb_get_active_config_descriptor(d, &config) != LIBUSB_SUCCESS) continue;
      for (int i = 0; i < config->bNumInterfaces; ++i) {
        const libusb_interface& itf = config->interface[i];
        if (itf.num_altsetting == 0 || itf.altsetting[0].bInterfaceClass != kClassAudio ||
            itf.altsetting[0].bInterfaceSubClass != kSubclassAudioControl) {
          continue;
        }
        Node f = n;
        f.kind = Node::Kind::kFunction;
        f.interfaceNumber = itf.altsetting[0].bInterfaceNumber;
        f.parent = id;
        (void)NodeFor({n.path.bus, n.address, f.interfaceNumber}, f, seen);
      }
      libusb_free_config_descriptor(config);
    }
    libusb_free_device_list(list, 1);
    for (auto it = nodes_.begin(); it != nodes_.end();) {
      it = seen.count(it->first) != 0 ? std::next(it) : nodes_.erase(it);
    }
    for (auto it = keys_.begin(); it != keys_.end();) {
      it = seen.count(it->second) != 0 ? std::next(it) : keys_.erase(it);
    }
  }

  libusb_context* ctx_;
  std::mutex mutex_;
  std::map<DevNode, Node> nodes_;
  std::map<NodeKey, DevNode> keys_;
  DevNode nextNode_ = 1;
  std::map<std::uint64_t, OpenedInterface> open_;
  std::set<std::uint64_t> bound_;
  std::uint64_t nextHandle_ = 1;

  std::mutex listenerMutex_;
  std::function<void()> listener_;
  libusb_hotplug_callback_handle hotplugHandle_ = 0;
  std::thread hotplugThread_;
  std::atomic<bool> stopEvents_{false};
};

}  // namespace

std::unique_ptr<UsbBackend> OpenLibusbBackend(std::string* error) {
  libusb_context* ctx = nullptr;
  const int e = libusb_init(&ctx);
  if (e != LIBUSB_SUCCESS) {
    if (error != nullptr) *error = std::string("libusb cannot start: ") + libusb_strerror(static_cast<libusb_error>(e));
    return nullptr;
  }
  return std::make_unique<LibusbBackend>(ctx);
}

std::unique_ptr<UsbBackend> OpenPlatformUsbBackend(std::string* error) { return OpenLibusbBackend(error); }
