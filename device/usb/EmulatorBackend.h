#pragma once
// The emulator backend of the USB seam: a virtual bus (emulator/) behind the two services.
// Its clock is the program's (platform/Clock.h), so a test's simulated clock also runs the
// devices' re-enumeration delays and busy periods.

#include <memory>
#include <string>

#include "device/usb/UsbSeam.h"
#include "emulator/Bus.h"

// Opens the bus file at busPath (it must exist: `lumatrace-emu create` makes it).
// Null when it cannot be opened; *error (when given) says why.
[[nodiscard]] std::unique_ptr<UsbBackend> OpenEmulatorBackend(const std::string& busPath,
                                                              std::string* error = nullptr);

class EmulatorBackend : public UsbBackend {
 public:
  // An in-process bus (tests): the backend does not own it; it must outlive the backend.
  explicit EmulatorBackend(vcodec::Bus& bus) : bus_(bus) {}
  // The backend owns the bus.
  explicit EmulatorBackend(std::unique_ptr<vcodec::Bus> bus) : owned_(std::move(bus)), bus_(*owned_) {}

  [[nodiscard]] vcodec::Bus& bus() { return bus_; }

  std::vector<DevNode> Enumerate(DeviceSet set) override { return bus_.Enumerate(set); }
  bool HasProblem(DevNode node) override { return bus_.HasProblem(node); }
  std::optional<std::string> InstanceId(DevNode node) override { return bus_.InstanceId(node); }
  std::optional<DevNode> Parent(DevNode node) override { return bus_.Parent(node); }
  std::optional<std::string> Property(DevNode node, NodeProperty property) override {
    return bus_.Property(node, property);
  }
  std::optional<std::uint32_t> BusAddress(DevNode node) override { return bus_.BusAddress(node); }
  std::optional<std::uint8_t> CompanionPort(DevNode rootHub, std::uint32_t port) override {
    return bus_.CompanionPort(rootHub, port);
  }
  std::uint32_t OpenInterface(DevNode node, InterfaceClass cls, std::uint64_t* handle) override {
    return bus_.OpenInterface(node, cls, handle);
  }
  void CloseInterface(std::uint64_t handle) override { bus_.CloseInterface(handle); }
  void SetChangeListener(std::function<void()> listener) override { bus_.SetChangeListener(std::move(listener)); }

  std::uint32_t Bind(std::uint64_t interfaceHandle, std::uint64_t* deviceId) override {
    return bus_.Bind(interfaceHandle, deviceId);
  }
  TransferResult Submit(std::uint64_t deviceId, const ControlSetup& setup, std::uint8_t* data,
                        std::uint32_t timeoutMs) override {
    return bus_.Submit(deviceId, setup, data, timeoutMs);
  }
  void Release(std::uint64_t deviceId) override { bus_.Release(deviceId); }

 private:
  std::unique_ptr<vcodec::Bus> owned_;
  vcodec::Bus& bus_;
};

// The program's clock as the emulator's time source.
[[nodiscard]] vcodec::TimeSource& ProgramTimeSource();
