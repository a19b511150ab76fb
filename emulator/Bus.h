#pragma once
// A virtual USB bus with virtual codecs plugged into the ports of its hub. It offers the two
// services of the USB seam (device tree, control channel) with the same contracts, plus what
// tests and the lumatrace-emu tool need: plugging devices, faults, counters, the transfer log.
//
// The devices and their memories live in a BusStorage (heap, or a shared file). Every call
// holds the storage lock for its whole length, so concurrent processes never see a half-done
// transfer. Handles and device ids are local to one Bus object. No call throws.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/usb/UsbSeam.h"
#include "emulator/BusStorage.h"
#include "emulator/DeviceConfig.h"
#include "emulator/Faults.h"
#include "emulator/TimeSource.h"
#include "emulator/TransferLog.h"

namespace vcodec {

struct DeviceCounters {
  std::uint64_t transfers = 0;
  std::uint64_t failedTransfers = 0;
  std::uint64_t busUs = 0;          // modelled bus time in microseconds
  std::uint64_t erases = 0;
  std::uint64_t pagesProgrammed = 0;
  std::uint64_t resets = 0;
};

// What `show` reports of one device.
struct DeviceInfo {
  std::uint32_t port = 0;
  ChipModel model = ChipModel::kVXQ62;
  std::uint16_t chipId = 0;
  MemoryKind memory = MemoryKind::kFlash;
  std::uint32_t memorySize = 0;
  bool connected = false;
  bool firmware = false;            // running downloaded code (else ROM code)
  std::string version;              // the version text the host shows for the running code
  std::uint16_t vid = 0, pid = 0, rev = 0;
  std::string manufacturer, product, serial;
  std::string memorySha256;
  DeviceCounters counters;
};

class Bus {
 public:
  ~Bus();
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  [[nodiscard]] static std::unique_ptr<Bus> CreateInMemory(TimeSource& time);
  // The bus in the file at path; create makes an empty one when the file is missing.
  [[nodiscard]] static std::unique_ptr<Bus> OpenFile(const std::string& path, TimeSource& time,
                                                     bool create, std::string* error);

  // ---- devices
  // Plugs a new device (power-on boot from its memory, erased unless firmware is given).
  // firmware is laid into the memory as the programming flows would leave it (tag included).
  // Returns the port, or nullopt with *error.
  [[nodiscard]] std::optional<std::uint32_t> Plug(const DeviceConfig& config,
                                                  const std::vector<std::uint8_t>& firmware,
                                                  std::string* error);
  // The device leaves the bus (it stays in its port, memory kept) / comes back with a power-on.
  bool Unplug(std::uint32_t port);
  bool Replug(std::uint32_t port);
  // Takes the device out of its port entirely.
  bool Remove(std::uint32_t port);
  [[nodiscard]] std::vector<std::uint32_t> Ports();
  [[nodiscard]] std::optional<DeviceInfo> Info(std::uint32_t port);
  [[nodiscard]] std::optional<std::vector<std::uint8_t>> Memory(std::uint32_t port);
  // Writes raw boot-memory bytes (as a programmer would, bypassing the chip).
  bool WriteMemory(std::uint32_t port, std::uint32_t offset, const std::vector<std::uint8_t>& bytes);
  // Chip registers (internal memory) and the flash status register, for assertions.
  [[nodiscard]] std::optional<std::uint8_t> Register(std::uint32_t port, std::uint16_t address);
  [[nodiscard]] std::optional<std::uint8_t> FlashStatus(std::uint32_t port);

  // ---- faults and counters
  bool ArmFaults(std::uint32_t port, const Faults& faults);
  bool ClearFaults(std::uint32_t port);
  [[nodiscard]] std::optional<DeviceCounters> Counters(std::uint32_t port);
  bool ResetCounters(std::uint32_t port);
  [[nodiscard]] std::vector<TransferRecord> Log() const;
  void ClearLog();
  void SetLogCapacity(std::size_t records);

  // ---- device tree (contracts of UsbDeviceTree)
  [[nodiscard]] std::vector<DevNode> Enumerate(DeviceSet set);
  [[nodiscard]] bool HasProblem(DevNode node);
  [[nodiscard]] std::optional<std::string> InstanceId(DevNode node);
  [[nodiscard]] std::optional<DevNode> Parent(DevNode node);
  [[nodiscard]] std::optional<std::string> Property(DevNode node, ::NodeProperty property);
  [[nodiscard]] std::optional<std::uint32_t> BusAddress(DevNode node);
  [[nodiscard]] std::optional<std::uint8_t> CompanionPort(DevNode rootHub, std::uint32_t port);
  [[nodiscard]] std::uint32_t OpenInterface(DevNode node, InterfaceClass cls, std::uint64_t* handle);
  void CloseInterface(std::uint64_t handle);
  // While a listener is set, a watcher thread notices arrivals and departures (re-enumeration
  // delays running out, other processes plugging) within about 20 ms of real time.
  void SetChangeListener(std::function<void()> listener);

  // ---- control channel (contracts of UsbControlChannel)
  [[nodiscard]] std::uint32_t Bind(std::uint64_t interfaceHandle, std::uint64_t* deviceId);
  [[nodiscard]] TransferResult Submit(std::uint64_t deviceId, const ControlSetup& setup,
                                      std::uint8_t* data, std::uint32_t timeoutMs);
  void Release(std::uint64_t deviceId);

 private:
  Bus(std::unique_ptr<BusStorage> storage, TimeSource& time);
  DeviceSlot* SlotOf(std::uint32_t port);
  // Brings back devices whose re-enumeration delay has passed; tells the listener of changes.
  void Refresh();
  void Connect(DeviceSlot& slot, bool bootMemory);
  void Leave(DeviceSlot& slot);
  // Takes the device off the bus (when on it), then applies change, under the lock.
  bool ChangeSlot(std::uint32_t port, const std::function<void(DeviceSlot&)>& change);
  TransferResult Dispatch(DeviceSlot& slot, const ControlSetup& setup, std::uint8_t* data,
                          std::uint32_t timeoutMs);
  void NotifyIfChanged();
  void Notify(std::uint32_t changes);  // calls the listener when the count moved
  void Watch();
  void StopWatcher();

  struct OpenHandle {
    std::uint32_t port;
    DevNode node;
  };
  struct Binding {
    std::uint32_t port;
    DevNode usbNode;  // the device as it was when bound; a new enumeration is another device
  };

  std::unique_ptr<BusStorage> storage_;
  TimeSource& time_;
  TransferLog log_;
  std::map<std::uint64_t, OpenHandle> handles_;
  std::map<std::uint64_t, Binding> bindings_;
  std::uint64_t nextHandle_ = 0x1000;
  std::uint64_t nextDeviceId_ = 0x7F000000;
  std::mutex notifyMutex_;            // listener_ and seenChanges_
  std::function<void()> listener_;
  std::uint32_t seenChanges_ = 0;
  std::mutex watchMutex_;
  std::condition_variable watchWake_;
  bool watchStop_ = false;
  std::thread watcher_;
};

}  // namespace vcodec
