#include "device/KobCam.h"

#include "app/Trace.h"
#include "device/DeviceDiscovery.h"
#include "platform/Clock.h"

namespace {

constexpr std::uint32_t kGpio0 = 0xFEA0;
constexpr std::uint32_t kGpio1 = 0xFEA1;
constexpr std::uint32_t kGpioEnable0 = 0xFEA6;
constexpr std::uint32_t kGpioEnable1 = 0xFEA7;
constexpr std::uint32_t kSfControl = 0xFCE0;
constexpr int kStatusPolls = 20;
constexpr std::uint32_t kStatusPollMs = 50;
constexpr int kRawCommandPolls = 10;
constexpr std::uint32_t kRawCommandPollMs = 100;

}  // namespace

CKobCam::CKobCam(DeviceRecord record, const DeviceCaps* caps) : CCamDev(std::move(record), caps) {
  CreateCommandSets();
}

CKobCam::~CKobCam() {
  extUnit_.reset();
  vendor_.reset();
}

void CKobCam::CreateCommandSets() {
  extUnit_.reset();
  vendor_.reset();
  if (caps_ && caps_->extUnitPresent) extUnit_ = std::make_unique<CExtUnit>(record_, caps_->extUnitId);
  if (caps_ && caps_->vendorSetPresent) vendor_ = std::make_unique<CVendorRequestV2>(record_);
}

void CKobCam::RebuildCommandSets() {
  if (ProbeDevice(&record_, true)) TakeCapsFromRecord();
  CreateCommandSets();
}

CExtUnit* CKobCam::ExtUnitSet() { return caps_ && caps_->extUnitPresent ? extUnit_.get() : nullptr; }

CVendorRequestV2* CKobCam::VendorSet() { return caps_ && caps_->vendorSetPresent ? vendor_.get() : nullptr; }

CVendorCmdCommon* CKobCam::PreferredSet() {
  if (!record_.caps && ProbeDevice(&record_, false)) TakeCapsFromRecord();
  if (CVendorRequestV2* v = VendorSet()) return v;
  return ExtUnitSet();
}

std::int32_t CKobCam::GetStatusClass() {
  if (!caps_) return -1;
  const auto& s = caps_->status;
  const unsigned top = static_cast<unsigned>((s[4] | s[5] << 8) >> 14);
  switch (s[64]) {
    case 0x00: return top == 0 ? 0 : top == 2 ? 1 : -1;
    case 0x11: return top == 1 ? 3 : -1;
    case 0x12: return 2;
    default: return -1;
  }
}

std::uint32_t CKobCam::ReadByte(std::uint32_t address, std::uint8_t* value) {
  CVendorCmdCommon* set = PreferredSet();
  return set != nullptr ? set->ReadMem(address, 1, value, nullptr, 0) : kResultFail;
}

std::uint32_t CKobCam::WriteByte(std::uint32_t address, std::uint8_t value) {
  CVendorCmdCommon* set = PreferredSet();
  return set != nullptr ? set->WriteMem(address, 1, &value, nullptr, 0) : kResultFail;
}

std::uint32_t CKobCam::WaitStatusRegister() {
  TraceScope scope("CKobCam::WaitStatusRegister", 0);
  CVendorCmdCommon* set = PreferredSet();
  if (set == nullptr) return kResultFail;
  for (int i = 0; i < kStatusPolls; ++i) {
    std::uint8_t sr = 0;
    if (const std::uint32_t r = set->SPI_SF_ReadSr(&sr); r != 0) {
      TraceWrite(scope, "Waiting for failed\n");
      return r;
    }
    if ((sr & 0x01) == 0) return 0;
    TraceWrite(scope, "Waiting for SPI_SF_WriteSr\n");
    SleepMs(kStatusPollMs);
  }
  return 0;
}

std::uint32_t CKobCam::SetProtectBits(bool protect) {
  std::uint8_t a = 0;
  std::uint8_t b = 0;
  if (const std::uint32_t r = ReadByte(kGpio0, &a); r != 0) return r;
  if (const std::uint32_t r = ReadByte(kGpioEnable0, &b); r != 0) return r;
  a |= 0x01;
  b = protect ? static_cast<std::uint8_t>(b & ~0x01) : static_cast<std::uint8_t>(b | 0x01);
  if (const std::uint32_t r = WriteByte(kGpio0, a); r != 0) return r;
  if (const std::uint32_t r = WriteByte(kGpioEnable0, b); r != 0) return r;
  CVendorCmdCommon* set = PreferredSet();
  if (set == nullptr) return kResultFail;
  if (const std::uint32_t r = set->SPI_SF_WriteSr(protect ? 0x8C : 0x00); r != 0) return r;
  return WaitStatusRegister();
}

std::uint32_t CKobCam::SF_WriteProtect() { return SetProtectBits(true); }

std::uint32_t CKobCam::SF_WriteUnprotect() { return SetProtectBits(false); }

// Reads the four GPIO registers, then writes each back with its bits changed, in that order.
std::uint32_t CKobCam::ChangeGpio(const GpioChange (&changes)[4]) {
  std::uint8_t v[4] = {};
  for (int i = 0; i < 4; ++i) {
    if (const std::uint32_t r = ReadByte(changes[i].address, &v[i]); r != 0) return r;
  }
  for (int i = 0; i < 4; ++i) {
    const std::uint8_t value = static_cast<std::uint8_t>((v[i] | changes[i].set) & ~changes[i].clear);
    if (const std::uint32_t r = WriteByte(changes[i].address, value); r != 0) return r;
  }
  return 0;
}

std::uint32_t CKobCam::GpioSelectA() {
  return ChangeGpio({{kGpio0, 0, 0x20}, {kGpioEnable0, 0x01, 0}, {kGpio1, 0, 0x02}, {kGpioEnable1, 0x01, 0}});
}

std::uint32_t CKobCam::GpioSelectB() {
  return ChangeGpio({{kGpio0, 0x20, 0}, {kGpioEnable0, 0, 0x20}, {kGpio1, 0x02, 0}, {kGpioEnable1, 0, 0x02}});
}

std::uint32_t CKobCam::SF_RawCommand(std::uint8_t command, std::uint32_t address) {
  const std::pair<std::uint32_t, std::uint8_t> writes[] = {
      {0xFCE2, 0x06},
      {0xFCE1, 0x00},
      {0xFCE8, command},
      {0xFCE9, static_cast<std::uint8_t>(address)},
      {0xFCEA, static_cast<std::uint8_t>(address >> 8)},
      {0xFCEB, static_cast<std::uint8_t>(address >> 16)},
      {0xFCE7, 0x01},
      {0xFCEE, 0x05},
      {0xFCED, 0x06},
      {0xFCFC, 0x00},
      {0xFCFB, 0xFF},
      {kSfControl, 0x82},
  };
  std::uint32_t failure = 0;
  for (const auto& [at, value] : writes) {
    if ((failure = WriteByte(at, value)) != 0) break;
  }
  std::uint8_t control = 0;
  if (failure == 0) {
    failure = ReadByte(kSfControl, &control);
    for (int i = 0; failure == 0 && (control & 0x40) == 0 && i < kRawCommandPolls; ++i) {
      SleepMs(kRawCommandPollMs);
      failure = ReadByte(kSfControl, &control);
    }
    if (failure == 0) failure = ReadByte(kSfControl, &control);
  }
  if (failure == 0 && (control & 0x08) == 0) return SF_WriteUnprotect();
  (void)WriteByte(kSfControl, 0x04);
  (void)SF_WriteUnprotect();
  return failure;
}

void CKobCam::SignalResetEvent() { resetEvent_.Set(); }
