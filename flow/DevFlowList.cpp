// The window's device list: the default device at start, the list after a device arrived or
// after a reset, and the open before a download, all keyed by the port the window remembers.
#include <algorithm>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/Trace.h"
#include "app/Utf8.h"
#include "device/KoCamApi.h"
#include "flow/DevFlow.h"
#include "flow/DeviceListView.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"
#include "image/IcTables.h"
#include "image/ImageVersion.h"

namespace {

constexpr std::uint32_t kImageAreaOffset = 0xF000;
constexpr std::size_t kImageAreaBytes = 4096;

int ConfigKey(const char* key) { return GetConfigInt(0, kConfigSection, key); }

}  // namespace

bool CDevFlow::AcceptanceCheck(bool* configured) {
  const int listKind = ConfigKey("CheckVIDPID_INI");
  const int imageCheck = ConfigKey("CheckVIDPID_BIN");
  *configured = listKind != 0 || imageCheck != 0;
  if (listKind != 0) {
    m_bVidPidMatch = PassesVidPidList(listKind == 2);
  } else if (imageCheck != 0) {
    m_bVidPidMatch = EqualsIgnoreAsciiCase(m_strVidPid, vidPidText);
  } else {
    return true;
  }
  return m_bVidPidMatch;
}

void CDevFlow::DEV_PrepareDefaultDevice() {
  MP_ReadChipId();
  MP_GetDeviceInfo();
  // The window shows how much OTP is used before anything is chosen.
  if (App().memoryType == kMemoryOtp) (void)MP_OTPSpaceReport();
  (void)DefaultImageName(m_strVidPidRev, [this](std::uint32_t address) {
    std::uint8_t value = 0;
    return ReadByte(address, &value) != 0 ? std::optional<std::uint8_t>(value) : std::nullopt;
  });
  const std::span<const std::uint8_t> image(workBytes.data(), std::min<std::size_t>(workLength, workBytes.size()));
  const std::optional<ImageVersion> version = DecodeImageVersion(image);
  m_imageVersionNumbers = version ? version->numbers : std::array<std::uint32_t, 6>{};
  if (image.size() >= kImageAreaOffset + kImageAreaBytes) {
    const std::vector<std::uint8_t> area(image.begin() + kImageAreaOffset,
                                         image.begin() + kImageAreaOffset + kImageAreaBytes);
    (void)ExtractImageInfo(area);
    m_bImageFlagZ = ParseImage(image).has_value() && m_bImageFlagZ;
  }
  workBytes.clear();
  workLength = 0;
  m_strImageText = "Update FW version:" + (version ? version->text : std::string());
}

void CDevFlow::DEV_GetDefaultDeviceForAllInOne() {
  TraceScope scope("CDevFlow::DEV_GetDefaultDeviceForAllInOne");
  if (m_hDev != 0) return;
  AppContext& app = App();
  DeviceListView* list = app.deviceList;
  const bool autoRun = ConfigKey("AutoRun") != 0;
  if (autoRun) {
    TraceWrite(scope, "Before SetEvent\n");
    if (list != nullptr) list->ResetAutoRunEvent();
  }
  if (list != nullptr) list->ClearList();
  m_iSelDevice = m_iSelComboItem = -1;
  bool found = false;
  int opened = 0;
  int lastEntry = -1;
  const int count = KoCam_GetDeviceCount();
  for (int n = 0; n < count; ++n) {
    if (MP_OpenDevice(n) == 0) continue;
    ReadVidPidRev(false);
    if (PassesVidPidList(false) && list != nullptr) lastEntry = list->AddEntry(m_strVidPidRev);
    if (!found) {
      bool configured = false;
      if (AcceptanceCheck(&configured)) {
        found = true;
        DEV_PrepareDefaultDevice();
        ReadPortLocation();
        StorePortLocation(m_dwPortAddr, m_dwParentInst);
        m_iSelDevice = opened;
        if (configured) m_iSelComboItem = lastEntry;
      }
    }
    ++opened;
    MP_CloseDevice();
  }
  if (!found) {
    NotifyUi(UM_RESULT, IDS_DETECT_DEVICE_FAIL);
  } else {
    if (list != nullptr) list->SelectEntry(m_iSelComboItem);
    NotifyUi(UM_RESULT, IDS_CHECK_DEVICE_INFO_SUCCEED);
  }
  if (autoRun && list != nullptr) list->SignalAutoRunEvent();
}

void CDevFlow::DEV_GetDeviceListForAllInOne(std::intptr_t extra) {
  TraceScope scope("CDevFlow::DEV_GetDeviceListForAllInOne");
  if (m_hDev != 0) return;
  DeviceListView* list = App().deviceList;
  const bool autoRun = ConfigKey("AutoRun") != 0;
  if (autoRun) {
    TraceWrite(scope, "Before SetEvent\n");
    if (list != nullptr) list->ResetAutoRunEvent();
  }
  m_iSelDevice = -1;
  if (list != nullptr) list->ClearList();
  std::uint32_t storedPort = 0, storedParent = 0;
  if (list != nullptr) list->StoredPort(&storedPort, &storedParent);

  const int count = KoCam_GetDeviceCount();
  int opened = 0;
  for (int n = 0; n < count; ++n) {
    if (MP_OpenDevice(n) == 0) continue;
    ReadPortLocation();
    ReadVidPidRev(false);
    if (PassesVidPidList(false) && list != nullptr) {
      const int entry = list->AddEntry(m_strVidPidRev);
      if (m_dwPortAddr == storedPort && m_dwParentInst == storedParent) {
        m_iSelDevice = opened;
        m_iSelComboItem = entry;
        DEV_PrepareDefaultDevice();
      }
    }
    ++opened;
    MP_CloseDevice();
    TraceWrite(scope, "MP_CloseDevice\n");
    if (autoRun) {
      TraceWrite(scope, "SetEvent\n");
      if (list != nullptr) list->SignalAutoRunEvent();
    }
  }

  if (m_iSelDevice == -1) {
    if (list != nullptr) list->StorePort(0, 0);
    opened = 0;
    for (int n = 0; n < count; ++n) {
      if (MP_OpenDevice(n) == 0) continue;
      ReadVidPidRev(false);
      ReadPortLocation();
      StorePortLocation(m_dwPortAddr, m_dwParentInst);
      bool configured = false;
      const bool accepted = AcceptanceCheck(&configured);
      // A device that fails the check still counts as the selection, as it always has.
      m_iSelDevice = opened++;
      if (accepted) {
        DEV_PrepareDefaultDevice();
        if (configured) m_iSelComboItem = 0;
      }
      MP_CloseDevice();
      if (accepted) break;
    }
  }

  if (m_iSelDevice != -1 && list != nullptr && list->EntryCount() > 0) {
    list->SelectEntry(m_iSelComboItem);
    NotifyUi(UM_RESULT, IDS_CHECK_DEVICE_INFO_SUCCEED, extra);
  } else {
    NotifyUi(UM_RESULT, IDS_DETECT_DEVICE_FAIL);
  }
}

int CDevFlow::Dev_OpenDeviceForMultiCamera() {
  TraceScope scope("CDevFlow::Dev_OpenDeviceForMultiCamera");
  if (m_hDev != 0) return 1;
  if (m_iSelDevice == -1) {
    NotifyUi(UM_RESULT, IDS_DETECT_DEVICE_FAIL);
    return 0;
  }
  std::uint32_t storedPort = 0, storedParent = 0;
  if (App().deviceList != nullptr) App().deviceList->StoredPort(&storedPort, &storedParent);
  const int count = KoCam_GetDeviceCount();
  for (int n = m_iSelDevice; n < count; ++n) {
    if (MP_OpenDevice(n) == 0) continue;
    ReadPortLocation();
    if (m_dwPortAddr == storedPort && m_dwParentInst == storedParent) return 1;
    MP_CloseDevice();
  }
  return 0;
}

int CDevFlow::DEV_GetDeviceListAfterReset() {
  TraceScope scope("CDevFlow::DEV_GetDeviceListAfterReset");
  if (m_hDev != 0) return 1;
  if (m_iSelDevice == -1) {
    NotifyUi(UM_RESULT, IDS_DETECT_DEVICE_FAIL);
    return 0;
  }
  DeviceListView* list = App().deviceList;
  const std::string selected = list != nullptr ? list->SelectedDeviceText() : std::string();
  const int count = KoCam_GetDeviceCount();
  int opened = 0;
  for (int n = 0; n < count; ++n) {
    if (MP_OpenDevice(n) == 0) continue;
    ReadVidPidRev(false);
    if (m_strVidPidRev == selected) {
      m_iSelDevice = opened;
      ReadPortLocation();
      StorePortLocation(m_dwPortAddr, m_dwParentInst);
      if (ConfigKey("AutoRun") != 0 && list != nullptr) list->SignalAutoRunEvent();
      DEV_PrepareDefaultDevice();
      bool configured = false;
      (void)AcceptanceCheck(&configured);
      MP_CloseDevice();
      NotifyUi(UM_RESULT, IDS_CHECK_DEVICE_INFO_SUCCEED);
      return 1;
    }
    ++opened;
    MP_CloseDevice();
  }
  NotifyUi(UM_RESULT, IDS_DETECT_DEVICE_FAIL);
  return 1;
}
