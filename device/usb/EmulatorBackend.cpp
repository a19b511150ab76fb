#include "device/usb/EmulatorBackend.h"

#include "platform/Clock.h"

namespace {

class ProgramClock : public vcodec::TimeSource {
 public:
  std::uint64_t NowMs() override { return ::NowMs(); }
  void SleepMs(std::uint32_t ms) override { ::SleepMs(ms); }
};

}  // namespace

vcodec::TimeSource& ProgramTimeSource() {
  static ProgramClock clock;
  return clock;
}

std::unique_ptr<UsbBackend> OpenEmulatorBackend(const std::string& busPath, std::string* error) {
  auto bus = vcodec::Bus::OpenFile(busPath, ProgramTimeSource(), false, error);
  if (!bus) return nullptr;
  return std::make_unique<EmulatorBackend>(std::move(bus));
}
