#include "emulator/Bus.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "emulator/Chip.h"
#include "emulator/ChipBoot.h"
#include "emulator/Descriptors.h"
#include "emulator/DeviceTree.h"
#include "emulator/ExtUnit.h"
#include "emulator/FirmwareLayout.h"
#include "emulator/Sha256.h"
#include "emulator/SlotConfig.h"
#include "emulator/SpiFlash.h"
#include "emulator/StatusRecord.h"
#include "emulator/VendorRequest.h"

namespace vcodec {
namespace {

constexpr std::uint8_t kGetDescriptor = 0x06;

TransferResult Standard(const DeviceSlot& slot, const ControlSetup& setup, std::uint8_t* data) {
  if (setup.requestType != 0x80 || setup.request != kGetDescriptor) {
    // SET_CONFIGURATION and the like are the host stack's business, not the tool's.
    return {kUsbErrorGenFailure, 0};
  }
  std::optional<std::vector<std::uint8_t>> d;
  switch (setup.value >> 8) {
    case 1: d = DeviceDescriptor(slot); break;
    case 2: d = ConfigurationDescriptor(slot); break;
    case 3: d = StringDescriptor(slot, static_cast<std::uint8_t>(setup.value & 0xFF)); break;
    default: break;
  }
  if (!d) return {kUsbErrorGenFailure, 0};
  const std::uint32_t n = std::min<std::uint32_t>(setup.length, static_cast<std::uint32_t>(d->size()));
  std::memcpy(data, d->data(), n);
  return {kUsbErrorSuccess, n};
}

DeviceCounters ToCounters(const vcodec::Counters& c) {
  DeviceCounters out;
  out.transfers = c.transfers;
  out.failedTransfers = c.failedTransfers;
  out.busUs = c.busUs;
  out.erases = c.erases;
  out.pagesProgrammed = c.pagesProgrammed;
  out.resets = c.resets;
  return out;
}

}  // namespace

Bus::Bus(std::unique_ptr<BusStorage> storage, TimeSource& time) : storage_(std::move(storage)), time_(time) {
  seenChanges_ = storage_->image().header.changeCount;
}

Bus::~Bus() { StopWatcher(); }

std::unique_ptr<Bus> Bus::CreateInMemory(TimeSource& time) {
  auto storage = BusStorage::InMemory();
  if (!storage) return nullptr;
  return std::unique_ptr<Bus>(new Bus(std::move(storage), time));
}

std::unique_ptr<Bus> Bus::OpenFile(const std::string& path, TimeSource& time, bool create, std::string* error) {
  auto storage = BusStorage::OpenFile(path, create, error);
  if (!storage) return nullptr;
  {
    BusStorage::Guard guard(*storage);
    for (DeviceSlot& slot : storage->image().slots) {
      if (slot.plugged == 0) continue;
      if (!ValidSlotConfig(slot.config)) {
        if (error != nullptr) *error = path + ": bus file is corrupt (bad device record)";
        return nullptr;
      }
      SanitizeSlotState(slot);
    }
  }
  return std::unique_ptr<Bus>(new Bus(std::move(storage), time));
}

DeviceSlot* Bus::SlotOf(std::uint32_t port) {
  if (port < 1 || port > kMaxPorts) return nullptr;
  DeviceSlot& slot = storage_->image().slots[port - 1];
  return slot.plugged != 0 ? &slot : nullptr;
}

void Bus::Connect(DeviceSlot& slot, bool bootMemory) {
  BusHeader& header = storage_->image().header;
  slot.usbNode = header.nextNode++;
  slot.functionNode = header.nextNode++;
  slot.connected = 1;
  slot.returnAtMs = 0;
  slot.readyAtMs = time_.NowMs() + slot.faults.notReadyMs;
  BootChip(slot, bootMemory);
  header.changeCount++;
}

void Bus::Leave(DeviceSlot& slot) {
  slot.connected = 0;
  slot.usbNode = 0;
  slot.functionNode = 0;
  storage_->image().header.changeCount++;
}

void Bus::Refresh() {
  const std::uint64_t now = time_.NowMs();
  for (DeviceSlot& slot : storage_->image().slots) {
    if (slot.plugged != 0 && slot.connected == 0 && slot.returnAtMs != 0 && now >= slot.returnAtMs) {
      Connect(slot, slot.bootOnReturn != 0);
    }
  }
}

void Bus::NotifyIfChanged() {
  std::uint32_t changes;
  {
    BusStorage::Guard guard(*storage_);
    changes = storage_->image().header.changeCount;
  }
  Notify(changes);
}

void Bus::Notify(std::uint32_t changes) {
  std::function<void()> listener;
  {
    std::lock_guard<std::mutex> lock(notifyMutex_);
    if (changes == seenChanges_) return;
    seenChanges_ = changes;
    listener = listener_;
  }
  if (listener) listener();
}

std::optional<std::uint32_t> Bus::Plug(const DeviceConfig& config, const std::vector<std::uint8_t>& firmware,
                                       std::string* error) {
  std::optional<std::uint32_t> result;
  {
    BusStorage::Guard guard(*storage_);
    std::string why;
    SlotConfig sc{};
    if (!MakeSlotConfig(config, &sc, &why)) {
      if (error != nullptr) *error = why;
      return std::nullopt;
    }
    std::uint32_t port = config.port;
    BusImage& image = storage_->image();
    if (port == 0) {
      for (std::uint32_t p = 1; p <= kMaxPorts && port == 0; ++p) {
        if (image.slots[p - 1].plugged == 0) port = p;
      }
      if (port == 0) {
        if (error != nullptr) *error = "every port of the hub is taken";
        return std::nullopt;
      }
    } else if (port > kMaxPorts) {
      if (error != nullptr) *error = "port must be 1 to 7";
      return std::nullopt;
    } else if (image.slots[port - 1].plugged != 0) {
      if (error != nullptr) *error = "port " + std::to_string(port) + " already has a device";
      return std::nullopt;
    }
    DeviceSlot& slot = image.slots[port - 1];
    // Only the small fields are cleared: the boot memory is rewritten below.
    std::memset(&slot, 0, offsetof(DeviceSlot, xdata));
    slot.config = sc;
    if (!LayFirmware(slot, firmware, error)) return std::nullopt;
    slot.flashSr = sc.flashProtected != 0 ? static_cast<std::uint8_t>(kSrWriteDisable | 0x0C) : 0;
    slot.plugged = 1;
    Connect(slot, true);
    result = port;
  }
  NotifyIfChanged();
  return result;
}

bool Bus::ChangeSlot(std::uint32_t port, const std::function<void(DeviceSlot&)>& change) {
  {
    BusStorage::Guard guard(*storage_);
    DeviceSlot* slot = SlotOf(port);
    if (slot == nullptr) return false;
    if (slot->connected != 0) Leave(*slot);
    change(*slot);
  }
  NotifyIfChanged();
  return true;
}

bool Bus::Unplug(std::uint32_t port) {
  return ChangeSlot(port, [](DeviceSlot& slot) { slot.returnAtMs = 0; });
}

bool Bus::Replug(std::uint32_t port) {
  return ChangeSlot(port, [this](DeviceSlot& slot) {
    slot.onCompanion = 0;
    Connect(slot, true);
  });
}

bool Bus::Remove(std::uint32_t port) {
  return ChangeSlot(port, [](DeviceSlot& slot) { slot.plugged = 0; });
}

std::vector<std::uint32_t> Bus::Ports() {
  BusStorage::Guard guard(*storage_);
  Refresh();
  std::vector<std::uint32_t> ports;
  for (std::uint32_t p = 1; p <= kMaxPorts; ++p) {
    if (storage_->image().slots[p - 1].plugged != 0) ports.push_back(p);
  }
  return ports;
}

std::optional<DeviceInfo> Bus::Info(std::uint32_t port) {
  BusStorage::Guard guard(*storage_);
  Refresh();
  const DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr) return std::nullopt;
  DeviceInfo info;
  info.port = port;
  info.model = static_cast<ChipModel>(slot->config.model);
  info.chipId = static_cast<std::uint16_t>(slot->config.chipId);
  info.memory = static_cast<MemoryKind>(slot->config.memory);
  info.memorySize = slot->config.memorySize;
  info.connected = slot->connected != 0;
  info.firmware = slot->runState == static_cast<std::uint32_t>(RunState::kFirmware);
  info.version = HostVersionText(*slot);
  info.vid = static_cast<std::uint16_t>(slot->identity.vid);
  info.pid = static_cast<std::uint16_t>(slot->identity.pid);
  info.rev = static_cast<std::uint16_t>(slot->identity.rev);
  info.manufacturer = slot->identity.manufacturer;
  info.product = slot->identity.product;
  info.serial = slot->identity.serial;
  info.memorySha256 = Sha256Hex(slot->memory, slot->config.memorySize);
  info.counters = ToCounters(slot->counters);
  return info;
}

std::optional<std::vector<std::uint8_t>> Bus::Memory(std::uint32_t port) {
  BusStorage::Guard guard(*storage_);
  const DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr) return std::nullopt;
  return std::vector<std::uint8_t>(slot->memory, slot->memory + slot->config.memorySize);
}

bool Bus::WriteMemory(std::uint32_t port, std::uint32_t offset, const std::vector<std::uint8_t>& bytes) {
  BusStorage::Guard guard(*storage_);
  DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr || offset > slot->config.memorySize || bytes.size() > slot->config.memorySize - offset) {
    return false;
  }
  if (!bytes.empty()) std::memcpy(slot->memory + offset, bytes.data(), bytes.size());
  return true;
}

std::optional<std::uint8_t> Bus::Register(std::uint32_t port, std::uint16_t address) {
  BusStorage::Guard guard(*storage_);
  const DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr) return std::nullopt;
  return slot->xdata[address];
}

std::optional<std::uint8_t> Bus::FlashStatus(std::uint32_t port) {
  BusStorage::Guard guard(*storage_);
  DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr) return std::nullopt;
  return SpiFlash(*slot, time_.NowMs()).ReadStatus();
}

bool Bus::ArmFaults(std::uint32_t port, const Faults& faults) {
  BusStorage::Guard guard(*storage_);
  DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr || faults.stuckBits.size() > kMaxStuckBits ||
      faults.otpFailAddresses.size() > kMaxOtpFailAddresses) {
    return false;
  }
  FaultPlan& plan = slot->faults;
  const std::uint64_t base = slot->counters.transfers;
  plan = {};
  plan.failAtTransfer = faults.failTransfer != 0 ? base + faults.failTransfer : 0;
  plan.stallAtTransfer = faults.stallTransfer != 0 ? base + faults.stallTransfer : 0;
  plan.removeAtTransfer = faults.removeAtTransfer != 0 ? base + faults.removeAtTransfer : 0;
  plan.stallRequest = faults.stallRequest ? *faults.stallRequest + 1u : 0;
  plan.stallValue = faults.stallValue ? *faults.stallValue + 1u : 0;
  plan.busyForever = faults.busyForever ? 1 : 0;
  plan.eraseFails = faults.eraseFails ? 1 : 0;
  plan.slowReturnMs = faults.slowReturnMs;
  plan.notReadyMs = faults.notReadyMs;
  plan.returnOnCompanion = faults.returnOnCompanion ? 1 : 0;
  plan.stuckCount = static_cast<std::uint32_t>(faults.stuckBits.size());
  for (std::size_t i = 0; i < faults.stuckBits.size(); ++i) {
    plan.stuck[i] = {faults.stuckBits[i].address, faults.stuckBits[i].mask};
  }
  plan.otpFailCount = static_cast<std::uint32_t>(faults.otpFailAddresses.size());
  for (std::size_t i = 0; i < faults.otpFailAddresses.size(); ++i) plan.otpFail[i] = faults.otpFailAddresses[i];
  plan.otpReportAddress = faults.otpReportAddress ? *faults.otpReportAddress + 1u : 0;
  if (faults.otpLocked) {
    slot->otpLockFuse = 1;
    slot->xdata[0xFD0C] |= 0x08;
  }
  return true;
}

bool Bus::ClearFaults(std::uint32_t port) {
  BusStorage::Guard guard(*storage_);
  DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr) return false;
  slot->faults = {};
  return true;
}

std::optional<DeviceCounters> Bus::Counters(std::uint32_t port) {
  BusStorage::Guard guard(*storage_);
  const DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr) return std::nullopt;
  return ToCounters(slot->counters);
}

bool Bus::ResetCounters(std::uint32_t port) {
  BusStorage::Guard guard(*storage_);
  DeviceSlot* slot = SlotOf(port);
  if (slot == nullptr) return false;
  // Armed transfer numbers keep pointing at the same future transfers.
  const std::uint64_t done = slot->counters.transfers;
  FaultPlan& plan = slot->faults;
  for (std::uint64_t* at : {&plan.failAtTransfer, &plan.stallAtTransfer, &plan.removeAtTransfer}) {
    if (*at != 0) *at = *at > done ? *at - done : 0;
  }
  slot->counters = {};
  return true;
}

std::vector<DevNode> Bus::Enumerate(DeviceSet set) {
  std::vector<DevNode> nodes;
  {
    BusStorage::Guard guard(*storage_);
    Refresh();
    if (set == DeviceSet::kUsbDevices) nodes = {kHubNode, kCompanionHubNode};
    for (const DeviceSlot& slot : storage_->image().slots) {
      if (slot.plugged == 0 || slot.connected == 0) continue;
      nodes.push_back(set == DeviceSet::kAudioFunctions ? slot.functionNode : slot.usbNode);
    }
  }
  NotifyIfChanged();
  return nodes;
}

bool Bus::HasProblem(DevNode node) {
  (void)node;
  return false;  // the emulated drivers always start
}

std::optional<std::string> Bus::InstanceId(DevNode node) {
  BusStorage::Guard guard(*storage_);
  Refresh();
  const auto ref = FindNode(storage_->image(), node);
  if (!ref) return std::nullopt;
  return NodeInstanceId(*ref);
}

std::optional<DevNode> Bus::Parent(DevNode node) {
  BusStorage::Guard guard(*storage_);
  Refresh();
  const auto ref = FindNode(storage_->image(), node);
  if (!ref) return std::nullopt;
  return NodeParent(*ref);
}

std::optional<std::string> Bus::Property(DevNode node, ::NodeProperty property) {
  BusStorage::Guard guard(*storage_);
  Refresh();
  const auto ref = FindNode(storage_->image(), node);
  if (!ref) return std::nullopt;
  return NodePropertyText(*ref, node, property);
}

std::optional<std::uint32_t> Bus::BusAddress(DevNode node) {
  BusStorage::Guard guard(*storage_);
  Refresh();
  const auto ref = FindNode(storage_->image(), node);
  if (!ref) return std::nullopt;
  return NodeBusAddress(*ref);
}

std::optional<std::uint8_t> Bus::CompanionPort(DevNode rootHub, std::uint32_t port) {
  if (rootHub != kRootHubNode) return std::nullopt;
  if (port == kHubRootPort) return static_cast<std::uint8_t>(kCompanionRootPort);
  if (port == kCompanionRootPort) return static_cast<std::uint8_t>(kHubRootPort);
  return std::nullopt;
}

std::uint32_t Bus::OpenInterface(DevNode node, InterfaceClass cls, std::uint64_t* handle) {
  BusStorage::Guard guard(*storage_);
  Refresh();
  const auto ref = FindNode(storage_->image(), node);
  if (!ref) return kUsbErrorNotFound;
  const bool audio = ref->kind == NodeKind::kFunction && cls == InterfaceClass::kAudio;
  const bool usb = ref->kind == NodeKind::kDevice && cls == InterfaceClass::kUsbDevice;
  if (!audio && !usb) return kUsbErrorNotFound;
  for (const auto& [h, open] : handles_) {
    if (open.node == node) return kUsbErrorAccessDenied;  // opened without sharing
  }
  const std::uint64_t h = nextHandle_++;
  handles_[h] = {ref->port, node};
  *handle = h;
  return kUsbErrorSuccess;
}

void Bus::CloseInterface(std::uint64_t handle) {
  BusStorage::Guard guard(*storage_);
  handles_.erase(handle);
}

void Bus::SetChangeListener(std::function<void()> listener) {
  if (watcher_.joinable() && watcher_.get_id() == std::this_thread::get_id()) {
    // Called from the listener itself: keep the watcher, swap what it calls.
    std::lock_guard<std::mutex> lock(notifyMutex_);
    listener_ = std::move(listener);
    return;
  }
  StopWatcher();
  const bool watch = static_cast<bool>(listener);
  {
    std::lock_guard<std::mutex> lock(notifyMutex_);
    listener_ = std::move(listener);
  }
  if (!watch) return;
  watchStop_ = false;
  watcher_ = std::thread([this] { Watch(); });
}

void Bus::Watch() {
  std::unique_lock<std::mutex> lock(watchMutex_);
  while (!watchWake_.wait_for(lock, std::chrono::milliseconds(20), [this] { return watchStop_; })) {
    lock.unlock();
    std::uint32_t changes;
    {
      BusStorage::Guard guard(*storage_);
      Refresh();
      changes = storage_->image().header.changeCount;
    }
    Notify(changes);
    lock.lock();
  }
}

void Bus::StopWatcher() {
  if (!watcher_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(watchMutex_);
    watchStop_ = true;
  }
  watchWake_.notify_all();
  watcher_.join();
}

std::vector<TransferRecord> Bus::Log() const {
  BusStorage::Guard guard(*storage_);
  return log_.Records();
}

void Bus::ClearLog() {
  BusStorage::Guard guard(*storage_);
  log_.Clear();
}

void Bus::SetLogCapacity(std::size_t records) {
  BusStorage::Guard guard(*storage_);
  log_.SetCapacity(records);
}

std::uint32_t Bus::Bind(std::uint64_t interfaceHandle, std::uint64_t* deviceId) {
  BusStorage::Guard guard(*storage_);
  Refresh();
  const auto it = handles_.find(interfaceHandle);
  if (it == handles_.end()) return kUsbErrorInvalidHandle;
  const auto ref = FindNode(storage_->image(), it->second.node);
  if (!ref) return kUsbErrorDeviceNotConnected;
  const std::uint64_t id = nextDeviceId_++;
  bindings_[id] = {it->second.port, ref->slot->usbNode};
  *deviceId = id;
  return kUsbErrorSuccess;
}

void Bus::Release(std::uint64_t deviceId) {
  BusStorage::Guard guard(*storage_);
  bindings_.erase(deviceId);
}

TransferResult Bus::Dispatch(DeviceSlot& slot, const ControlSetup& setup, std::uint8_t* data,
                             std::uint32_t timeoutMs) {
  const FaultPlan& plan = slot.faults;
  const std::uint64_t n = slot.counters.transfers;
  if (plan.failAtTransfer == n) return {kUsbErrorTimeout, 0};
  if (plan.stallAtTransfer == n) return {kUsbErrorGenFailure, 0};
  if (plan.stallRequest == setup.request + 1u && (plan.stallValue == 0 || plan.stallValue == setup.value + 1u)) {
    return {kUsbErrorGenFailure, 0};
  }
  Chip chip(slot, time_.NowMs());
  const std::uint64_t busUsBefore = slot.counters.busUs;
  TransferResult result{kUsbErrorGenFailure, 0};
  switch ((setup.requestType >> 5) & 3) {
    case 0: result = Standard(slot, setup, data); break;
    case 1:
      if ((setup.requestType & 0x1F) == 1 && OffersExtUnit(slot)) result = HandleExtUnitRequest(slot, chip, setup, data);
      break;
    case 2:
      if ((setup.requestType & 0x1F) == 0 && OffersVendor(slot, setup.request)) result = HandleVendorRequest(chip, setup, data);
      break;
    default: break;
  }
  // Work that outlasts the host's wait (a chip erase under a short time-out) still completes
  // in the chip, but the host sees the request time out.
  if (result.error == kUsbErrorSuccess && (slot.counters.busUs - busUsBefore) / 1000 > timeoutMs) {
    result = {kUsbErrorTimeout, 0};
  }
  if (result.error == kUsbErrorSuccess && chip.reset() != ResetRequest::kNone) {
    // The chip answers the request, then drops off the bus and re-enumerates.
    slot.counters.resets++;
    Leave(slot);
    slot.bootOnReturn = chip.reset() == ResetRequest::kBoot ? 1 : 0;
    slot.onCompanion = (slot.config.hasCompanion != 0 && plan.returnOnCompanion != 0) ? 1 : 0;
    slot.returnAtMs = time_.NowMs() + slot.config.resetDelayMs + plan.slowReturnMs;
  }
  return result;
}

TransferResult Bus::Submit(std::uint64_t deviceId, const ControlSetup& setup, std::uint8_t* data,
                           std::uint32_t timeoutMs) {
  TransferResult result{kUsbErrorDeviceNotConnected, 0};
  std::uint32_t changes = 0;
  TransferRecord record;
  record.setup = setup;
  std::vector<std::uint8_t> buffer(setup.length);
  const bool toHost = (setup.requestType & 0x80) != 0;
  if (!toHost && setup.length != 0 && data != nullptr) std::memcpy(buffer.data(), data, setup.length);
  {
    BusStorage::Guard guard(*storage_);
    Refresh();
    const auto it = bindings_.find(deviceId);
    if (it == bindings_.end()) {
      result = {kUsbErrorInvalidHandle, 0};
    } else {
      DeviceSlot* slot = SlotOf(it->second.port);
      record.port = it->second.port;
      if (slot != nullptr && slot->connected != 0 && slot->usbNode == it->second.usbNode) {
        slot->counters.transfers++;
        slot->counters.busUs += slot->config.perTransferUs;
        if (slot->faults.removeAtTransfer == slot->counters.transfers) {
          Leave(*slot);
          slot->returnAtMs = 0;
        } else if (time_.NowMs() < slot->readyAtMs) {
          result = {kUsbErrorNotReady, 0};
        } else {
          result = Dispatch(*slot, setup, buffer.data(), timeoutMs);
        }
        if (result.error != kUsbErrorSuccess) slot->counters.failedTransfers++;
      }
    }
    changes = storage_->image().header.changeCount;
    const std::size_t logged = toHost ? result.transferred : setup.length;
    record.data.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(std::min(logged, buffer.size())));
    record.error = result.error;
    record.transferred = result.transferred;
    log_.Add(std::move(record));
  }
  if (toHost && result.error == kUsbErrorSuccess && data != nullptr) {
    std::memcpy(data, buffer.data(), std::min<std::uint32_t>(result.transferred, setup.length));
  }
  Notify(changes);
  return result;
}

}  // namespace vcodec
