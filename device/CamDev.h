#pragma once
// A device object: its own open record and a copy of the capabilities probed for it. A bare
// CCamDev has no command sets (an unusable device); CKobCam adds them.

#include <memory>

#include "device/DeviceRecord.h"

class CCamDev {
 public:
  // Takes over an open record and keeps a copy of caps (may be null).
  CCamDev(DeviceRecord record, const DeviceCaps* caps);
  virtual ~CCamDev();
  CCamDev(const CCamDev&) = delete;
  CCamDev& operator=(const CCamDev&) = delete;

  [[nodiscard]] DeviceRecord& Record() { return record_; }
  [[nodiscard]] const DeviceCaps* Caps() const { return caps_.get(); }
  // Copies the record's current capabilities (after a new probe).
  void TakeCapsFromRecord();

 protected:
  DeviceRecord record_;
  std::unique_ptr<DeviceCaps> caps_;
};
