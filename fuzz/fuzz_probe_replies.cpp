// Arbitrary device replies to the probe and to the first commands: every control request is
// answered from the input (an error, or a reply of any length up to the one asked for).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <unistd.h>

#include "device/CommandLock.h"
#include "device/DeviceDiscovery.h"
#include "device/ExtUnit.h"
#include "device/ProxyChannel.h"
#include "device/StringDescriptor.h"
#include "device/VendorRequestV2.h"

namespace {

class ReplyBackend : public UsbBackend {
 public:
  void Load(const std::uint8_t* data, std::size_t size) {
    data_ = data;
    size_ = size;
    pos_ = 0;
  }

  std::vector<DevNode> Enumerate(DeviceSet) override { return {}; }
  bool HasProblem(DevNode) override { return false; }
  std::optional<std::string> InstanceId(DevNode) override { return std::nullopt; }
  std::optional<DevNode> Parent(DevNode) override { return std::nullopt; }
  std::optional<std::string> Property(DevNode, NodeProperty) override { return std::nullopt; }
  std::optional<std::uint32_t> BusAddress(DevNode) override { return std::nullopt; }
  std::optional<std::uint8_t> CompanionPort(DevNode, std::uint32_t) override { return std::nullopt; }
  std::uint32_t OpenInterface(DevNode, InterfaceClass, std::uint64_t*) override { return kUsbErrorNotFound; }
  void CloseInterface(std::uint64_t) override {}
  void SetChangeListener(std::function<void()>) override {}
  std::uint32_t Bind(std::uint64_t, std::uint64_t* id) override {
    *id = 1;
    return 0;
  }
  void Release(std::uint64_t) override {}

  TransferResult Submit(std::uint64_t, const ControlSetup& setup, std::uint8_t* data, std::uint32_t) override {
    if (pos_ + 2 > size_) return {kUsbErrorDeviceNotConnected, 0};
    const std::uint8_t how = data_[pos_++];
    std::size_t n = data_[pos_++];
    if ((how & 0xC0) == 0xC0) {
      static const std::uint32_t kErrors[] = {kUsbErrorGenFailure, kUsbErrorDeviceNotConnected, kUsbErrorNotReady,
                                              kUsbErrorTimeout};
      return {kErrors[how & 3], 0};
    }
    if ((how & 0x80) != 0) n = setup.length;  // a full reply
    n = std::min<std::size_t>({n, setup.length, size_ - pos_});
    if ((setup.requestType & 0x80) != 0) std::memcpy(data, data_ + pos_, n);
    pos_ += n;
    return {0, static_cast<std::uint32_t>(n)};
  }

 private:
  const std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
};

ReplyBackend& Backend() {
  static ReplyBackend* backend = [] {
    auto* b = new ReplyBackend();
    SetCommandLockNameForTesting("fuzz-probe-replies-" + std::to_string(getpid()));
    SetUsbBackendForTesting(b);
    (void)OpenProxy();
    return b;
  }();
  return *backend;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReplyBackend& backend = Backend();
  backend.Load(data, size);
  DeviceRecord record;
  record.typeTag = kUsbRecordTag;
  record.deviceId = 1;
  record.interfaceOpen = true;
  if (ProbeDevice(&record, true) && record.caps) {
    std::string text;
    (void)ReadStringDescriptor(record.deviceId, record.caps->deviceDescriptor[14], &text);
    CExtUnit ext(record, record.caps->extUnitId);
    std::uint16_t unit = 64;
    (void)ext.ChangeDataControlSize(&unit);
    std::uint8_t buffer[300];
    (void)ext.GetDevStatus(0, buffer, 104);
    (void)ext.ReadMem(0, sizeof buffer, buffer, nullptr, 0);
    (void)ext.I2CRead(0x50, 64, buffer);
    CVendorRequestV2 vendor(record);
    (void)vendor.ReadMem(0x1000, sizeof buffer, buffer, nullptr, 0);
  }
  (void)DetermineChannel(record);
  return 0;
}
