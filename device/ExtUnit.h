#pragma once
// The extension-unit command set bound to one device: its transport phases go out as class
// requests to the AudioControl interface (wIndex = unit id × 256 + interface number).

#include <cstdint>

#include "device/DeviceRecord.h"
#include "device/ExtUnitBase.h"

class CExtUnit : public CExtUnitBase {
 public:
  // record: the device object's record, which outlives this set.
  CExtUnit(const DeviceRecord& record, std::uint32_t unitId);
  ~CExtUnit() override;

  // Adopts the device's GET_LEN answer only when exactly 2 bytes arrived and the size is
  // 1..64 (the staging areas); otherwise the size stays and the call fails.
  bool ChangeDataControlSize(u16* size) override;

  u32 SetCmd(const CommandBlock& block) override;
  u32 GetCmdStatus(u8* status) override;
  u32 GetData(u8* unit) override;
  u32 SetData(const u8* unit) override;

  [[nodiscard]] std::uint32_t UnitId() const { return unitId_; }

 private:
  u32 Transfer(std::uint8_t request, std::uint8_t control, u8* data, std::uint16_t length, bool in,
               const char* phase);

  const DeviceRecord& record_;
  std::uint32_t unitId_;
};
