#pragma once
// What the device-list operations need of the main window: its device list box, the text of
// the selected device, the port pair it remembers and its auto-run event. The window installs
// one (AppContext::deviceList); the command line has none, and the list steps are skipped.

#include <cstdint>
#include <string>

class DeviceListView {
 public:
  virtual ~DeviceListView() = default;

  virtual void ClearList() = 0;
  // Appends an entry; returns its index.
  virtual int AddEntry(const std::string& text) = 0;
  [[nodiscard]] virtual int EntryCount() const = 0;
  // Selects entry index and copies its text to the selected-device text.
  virtual void SelectEntry(int index) = 0;
  [[nodiscard]] virtual std::string SelectedDeviceText() const = 0;

  // The port address and parent hub of the device the window works with (0, 0 for none).
  virtual void StorePort(std::uint32_t portAddress, std::uint32_t parentInstance) = 0;
  virtual void StoredPort(std::uint32_t* portAddress, std::uint32_t* parentInstance) const = 0;

  virtual void ResetAutoRunEvent() = 0;
  virtual void SignalAutoRunEvent() = 0;
};
