#pragma once
// The codec's device object: the command sets its capabilities call for, and the reset event.
// The vendor-request set is preferred when present; the extension-unit set serves the commands
// the vendor set lacks (qualification, data control size, OTP).

#include <cstdint>
#include <memory>

#include "device/CamDev.h"
#include "device/ExtUnit.h"
#include "device/ResetEvent.h"
#include "device/VendorRequestV2.h"

class CKobCam : public CCamDev {
 public:
  CKobCam(DeviceRecord record, const DeviceCaps* caps);
  ~CKobCam() override;

  // From the status record: 0, 1, 2 or 3, or -1 when the record names no known class.
  [[nodiscard]] virtual std::int32_t GetStatusClass();
  virtual std::uint32_t SF_WriteProtect();
  virtual std::uint32_t SF_WriteUnprotect();
  virtual std::uint32_t GpioSelectA();
  virtual std::uint32_t GpioSelectB();
  // One command through the chip's serial-flash controller registers.
  virtual std::uint32_t SF_RawCommand(std::uint8_t command, std::uint32_t address);
  virtual void SignalResetEvent();

  // Probes the record again and builds new command sets from what it finds.
  void RebuildCommandSets();

  [[nodiscard]] CExtUnit* ExtUnitSet();          // when the capabilities mark it present
  [[nodiscard]] CVendorRequestV2* VendorSet();   // likewise
  [[nodiscard]] CVendorCmdCommon* PreferredSet();
  [[nodiscard]] ResetEvent& Event() { return resetEvent_; }

 private:
  void CreateCommandSets();
  std::uint32_t ReadByte(std::uint32_t address, std::uint8_t* value);
  std::uint32_t WriteByte(std::uint32_t address, std::uint8_t value);
  std::uint32_t WaitStatusRegister();
  std::uint32_t SetProtectBits(bool protect);
  struct GpioChange {
    std::uint32_t address;
    std::uint8_t set;
    std::uint8_t clear;
  };
  std::uint32_t ChangeGpio(const GpioChange (&changes)[4]);

  std::unique_ptr<CExtUnit> extUnit_;
  std::unique_ptr<CVendorRequestV2> vendor_;
  ResetEvent resetEvent_;
};
