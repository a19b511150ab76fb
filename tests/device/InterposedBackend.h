#pragma once
// A pass-through around the emulator's backend for what the virtual codec cannot be asked to
// do: it records each request's time-out, and a test may rewrite a reply (a device that
// answers short or with odd values) or graft extra nodes onto the device tree.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/usb/UsbSeam.h"

class InterposedBackend : public UsbBackend {
 public:
  explicit InterposedBackend(UsbBackend& inner) : inner_(inner) {}

  // Called after the real device answered; may change the bytes or the result.
  std::function<void(const ControlSetup&, std::uint8_t* data, TransferResult&)> rewrite;
  // Consulted before the real tree; nullopt falls through to it.
  std::function<std::optional<std::optional<DevNode>>(DevNode)> parent;
  std::function<std::optional<std::string>(DevNode)> instanceId;
  std::vector<std::uint32_t> timeouts;  // of every request, in order

  std::vector<DevNode> Enumerate(DeviceSet set) override { return inner_.Enumerate(set); }
  bool HasProblem(DevNode node) override { return inner_.HasProblem(node); }
  std::optional<std::string> InstanceId(DevNode node) override {
    if (instanceId) {
      if (auto id = instanceId(node)) return id;
    }
    return inner_.InstanceId(node);
  }
  std::optional<DevNode> Parent(DevNode node) override {
    if (parent) {
      if (auto p = parent(node)) return *p;
    }
    return inner_.Parent(node);
  }
  std::optional<std::string> Property(DevNode node, NodeProperty property) override {
    return inner_.Property(node, property);
  }
  std::optional<std::uint32_t> BusAddress(DevNode node) override { return inner_.BusAddress(node); }
  std::optional<std::uint8_t> CompanionPort(DevNode hub, std::uint32_t port) override {
    return inner_.CompanionPort(hub, port);
  }
  std::uint32_t OpenInterface(DevNode node, InterfaceClass cls, std::uint64_t* handle) override {
    return inner_.OpenInterface(node, cls, handle);
  }
  void CloseInterface(std::uint64_t handle) override { inner_.CloseInterface(handle); }
  void SetChangeListener(std::function<void()> listener) override { inner_.SetChangeListener(std::move(listener)); }
  std::uint32_t Bind(std::uint64_t handle, std::uint64_t* deviceId) override { return inner_.Bind(handle, deviceId); }
  TransferResult Submit(std::uint64_t deviceId, const ControlSetup& setup, std::uint8_t* data,
                        std::uint32_t timeoutMs) override {
    timeouts.push_back(timeoutMs);
    TransferResult r = inner_.Submit(deviceId, setup, data, timeoutMs);
    if (rewrite) rewrite(setup, data, r);
    return r;
  }
  void Release(std::uint64_t deviceId) override { inner_.Release(deviceId); }

 private:
  UsbBackend& inner_;
};
