#pragma once
// A station in one process, for tests and benchmarks: the device layer on an in-memory
// emulated bus, simulated time, a command lock of its own (runs may be parallel), the embedded
// configuration, the built-in IC definitions and a serial-flash memory object in AppContext.

#include <memory>
#include <string>

#include "device/usb/EmulatorBackend.h"
#include "emulator/Bus.h"
#include "platform/Clock.h"

class CDevFlow;

class EmulatedStation {
 public:
  EmulatedStation();
  ~EmulatedStation();
  EmulatedStation(const EmulatedStation&) = delete;
  EmulatedStation& operator=(const EmulatedStation&) = delete;

  [[nodiscard]] bool Ready() const { return ready_; }
  // The command line's open for a write of image: device, IC type settled on the image (which
  // also makes the image's memory object), device information, reset options, the request
  // option bits of a command-line run. The memory object, or null when the open failed.
  [[nodiscard]] CDevFlow* OpenForWrite(const std::string& image);

  SimulatedClock clock;
  std::unique_ptr<vcodec::Bus> bus;
  std::unique_ptr<EmulatorBackend> backend;

 private:
  std::string lockName_;
  bool ready_ = false;
};
