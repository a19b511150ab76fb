#include "device/CamDev.h"

#include "device/DeviceDiscovery.h"

CCamDev::CCamDev(DeviceRecord record, const DeviceCaps* caps) : record_(std::move(record)) {
  if (caps != nullptr) {
    caps_ = std::make_unique<DeviceCaps>(*caps);
    record_.caps = std::make_unique<DeviceCaps>(*caps);
  }
}

CCamDev::~CCamDev() { CloseDeviceRecord(&record_); }

void CCamDev::TakeCapsFromRecord() {
  caps_ = record_.caps ? std::make_unique<DeviceCaps>(*record_.caps) : nullptr;
}
