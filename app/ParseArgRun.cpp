// The command line's run: device open with IC type settling, the operation, the result files.
#include <optional>

#include "app/AppContext.h"
#include "app/ConfigIni.h"
#include "app/ParseArg.h"
#include "app/Trace.h"
#include "flow/DevFlow.h"
#include "flow/MemoryObject.h"
#include "flow/NotifyUi.h"
#include "flow/TextIds.h"
#include "image/ICTypeIni.h"

namespace {

constexpr std::size_t kMinBuiltInImage = 65536;

struct OperationLines {
  std::uint8_t letter;
  const char* start;
  const char* pass;
  const char* fail;
};
constexpr OperationLines kLines[] = {
    {kOpWrite, "Begin to Write fw!\r\n", "Write fw pass!\r\n", "Write fw fail!\r\n"},
    {kOpErase, "Begin to Erase!\r\n", "Erase pass!\r\n", "Erase fail!\r\n"},
    {kOpVerify, "Begin to Verify fw!\r\n", "Verify fw pass!\r\n", "Verify fw fail!\r\n"},
    {kOpDumpOtp, "Begin to Dump OTP!\r\n", "Dump OTP pass!\r\n", "Dump OTP fail!\r\n"},
    {kOpDumpSpi, "Begin to Dump SPI!\r\n", "Dump SPI pass!\r\n", "Dump SPI fail!\r\n"},
    // The space report: its line and the report only after it passed.
    {kOpDetect, nullptr, "Begin to Check OTP Status!\r\n", nullptr},
};

// The area header at offset: the signature 0xA5 and a boot memory code the tool can settle.
enum class AreaCheck { kUntagged, kTaggedOtherMemory, kValid };

AreaCheck CheckArea(const std::vector<std::uint8_t>& image, std::size_t offset) {
  if (offset + 2 > image.size()) return AreaCheck::kUntagged;
  if (image[offset + 1] != 0xA5) return AreaCheck::kUntagged;
  switch (image[offset]) {
    case 0x55:
    case 0x12:
    case 0x11:
    case 0x40:
    case 0x60: return AreaCheck::kValid;
    default: return AreaCheck::kTaggedOtherMemory;
  }
}

bool ImageHasValidArea(const std::vector<std::uint8_t>& image, std::size_t configAddress) {
  if (image.size() < configAddress) return CheckArea(image, 0) == AreaCheck::kValid;
  AreaCheck at = CheckArea(image, configAddress);
  if (at == AreaCheck::kUntagged) at = CheckArea(image, 0);
  return at == AreaCheck::kValid;
}

// The memory object of another memory type, handed the open device; false when that type has
// none.
bool SwitchMemoryType(std::uint8_t memoryType) {
  AppContext& app = App();
  app.memoryType = memoryType;
  RecreateMemoryObjectKeepingDevice(app.memoryType, app.busType);
  return app.flow != nullptr;
}

}  // namespace

std::int32_t CParseArg::OpenDeviceForCommandLine() {
  if (m_nSaveResultToFile != 0) CreateResultFile();
  if (LoadICTypeIni() != 0) {
    if (App().flow != nullptr) App().flow->DEV_GetDeviceInfo();
    return 1;
  }
  if (m_nSaveResultToFile != 0) WriteResultAfterOpenFailure();
  ConsoleWrite("Get IC Info Fail\n");
  ConsolePrompt();
  return 0;
}

std::int32_t CParseArg::LoadICTypeIni() {
  TraceScope scope("CParseArg::LoadICTypeIni", 0);
  AppContext& app = App();
  CDevFlow* flow = app.flow;
  if (flow == nullptr) {
    // The configured memory type has no memory object: nothing may touch the device.
    TraceFail(scope, "No memory object for memory type %d\n", app.memoryType);
    lastErrorCode.store(IDS_NOT_SUPPORT);
    return 0;
  }
  if (GetConfigInt(0, kConfigSection, "CheckVIDPID_INI") != 0) {
    if (flow->DEV_OpenDeviceByVIDPID() == 0) return 0;
  } else {
    bool opened = false;
    for (int n = m_nDeviceIndex; n < m_nDeviceIndex + 3 && !opened; ++n) {
      opened = flow->DEV_OpenDeviceByICIni(n) != 0;
    }
    if (!opened) return 0;
  }
  if (m_cOperation == kOpVersion) return 1;
  if (m_cOperation == kOpDumpSpi || m_cOperation == kOpErase) {
    // No image says which memory the codec boots from; the matched definition's "Project Type"
    // does, so that an EEPROM codec is erased and dumped as an EEPROM.
    const std::optional<std::uint8_t> memory =
        app.icTypeIni != nullptr ? app.icTypeIni->ProjectMemoryType() : std::nullopt;
    if (memory && *memory != app.memoryType) {
      TraceWrite(scope, "Project Type selects memory type %d\n", *memory);
      if (!SwitchMemoryType(*memory)) {
        lastErrorCode.store(IDS_NOT_SUPPORT);
        return 0;
      }
    }
    return 1;
  }
  if (m_cOperation == kOpDumpOtp) {
    (void)SwitchMemoryType(kMemoryOtp);
    return 1;
  }

  flow->imagePath = m_strFilePath;
  const bool loaded = flow->LoadImageFile();
  if (!loaded) {
    flow->ReadVidPidRev(false);
    (void)flow->DefaultImageName(flow->m_strVidPidRev, [flow](std::uint32_t address) {
      std::uint8_t value = 0;
      return flow->ReadByte(address, &value) != 0 ? std::optional<std::uint8_t>(value) : std::nullopt;
    });
    flow->imageBytes.assign(flow->workBytes.begin(), flow->workBytes.begin() + flow->workLength);
    flow->imageLength = flow->workLength;
    if (flow->imageBytes.size() < kMinBuiltInImage) {
      NotifyUi(UM_ERROR, IDS_LOAD_FILE_DATA_FAIL);
      TraceFail(scope, "Load File Data Fail!\n");
      ConsoleWrite("Load File Data Fail!\n");
      return 0;
    }
  }

  CICTypeIni* ic = app.icTypeIni;
  if (ic == nullptr) return loaded ? 1 : 0;
  flow->MP_ReadChipId();
  int chipDefinition = -1;
  for (int i = 0; i < ic->DefinitionCount(); ++i) {
    if (!ic->SelectAndMatchIcDefinition(flow->m_byChipId0, flow->m_byChipId1, i)) {
      TraceWrite(scope, "IC type %d does not match chip %02X %02X\n", i, flow->m_byChipId0, flow->m_byChipId1);
      continue;
    }
    if (chipDefinition < 0) chipDefinition = i;
    const auto configAddress = static_cast<std::size_t>(std::max(0, ic->GetVendorInfo("ConfigAddress")));
    ic->ReadIcHeader();
    if (!ImageHasValidArea(flow->imageBytes, configAddress)) {
      TraceWrite(scope, "IC type %d: no valid configuration area in the image\n", i);
      continue;
    }
    if (flow->LocateConfigArea(&flow->imageBytes) == 0) {
      TraceWrite(scope, "IC type %d: the image's configuration area cannot be located\n", i);
      continue;
    }
    if (app.memoryType != kMemorySerialFlash) {
      RecreateMemoryObjectKeepingDevice(app.memoryType, app.busType);
      if (app.flow != nullptr) {
        app.flow->imagePath = m_strFilePath;
        (void)app.flow->LoadImageFile();
      }
    }
    return 1;
  }
  // No definition took the image: keep the chip's own definition loaded rather than the last
  // one tried, so that the image is checked against the chip it is meant for.
  if (chipDefinition >= 0) {
    ic->SelectIcDefinition(chipDefinition);
    ic->ReadIcHeader();
  }
  return loaded ? 1 : 0;
}

std::int32_t CParseArg::Excute_Arg() {
  TraceScope scope("CParseArg::Excute_Arg", 0);
  if (App().flow != nullptr) App().flow->DEV_InitResetOption();
  m_nLogType = GetConfigInt(0, kConfigSection, "LogType");
  if (m_nLogType != 0) OpenBurnResultLog();
  const std::int32_t passed = Excute_Arg_Normal();
  // A pass leaves no error code behind (the erase's own success id is not a final one).
  if (passed != 0) lastErrorCode.store(0);
  if (m_nSaveResultToFile > 0) WriteResultAfterOperation(passed != 0);
  if (m_nLogType != 0) {
    const std::string serial = App().flow != nullptr ? App().flow->serialText : std::string();
    WriteBurnResultRow(passed != 0, serial, lastErrorCode.load());
    CloseBurnResultLog();
  }
  return passed;
}

std::int32_t CParseArg::Excute_Arg_Normal() {
  TraceScope scope("CParseArg::Excute_Arg_Normal", 0);
  CDevFlow* flow = App().flow;
  if (m_cOperation == kOpVersion) {
    ConsoleWrite("Begin to Get FW Ver!\r\n");
    const std::string version = flow != nullptr ? flow->m_strFwVer : std::string("N/A");
    ConsoleWrite("Current FW Version: " + version + "!\r\n");
    ConsolePrompt();
    m_bRequestDone = flow != nullptr && flow->m_hDev != 0 && version != "N/A";
    return 0;
  }
  const OperationLines* lines = nullptr;
  for (const OperationLines& l : kLines) {
    if (l.letter == m_cOperation) lines = &l;
  }
  if (lines == nullptr) {
    lastErrorCode.store(IDS_NOT_SUPPORT);
    return 0;
  }
  if (lines->start != nullptr) ConsoleWrite(lines->start);
  std::int32_t result = 0;
  if (flow == nullptr) {
    lastErrorCode.store(IDS_NOT_SUPPORT);
  } else {
    flow->m_uFlags = kFlagAudioSearch;
    if (m_uRequestedMemSize != 0) g_uMemSize = m_uRequestedMemSize;
    result = flow->DEV_Command(m_cOperation, m_strFilePath);
  }
  if (m_cOperation == kOpDetect) {
    // Nothing is printed before the report; a failure shows only the prompt.
    if (result != 0) {
      ConsoleWrite(lines->pass);
      ConsoleWrite(flow->OtpSpaceConsoleText() + "\r\n");
    }
  } else {
    ConsoleWrite(result != 0 ? lines->pass : lines->fail);
  }
  ConsolePrompt();
  m_bRequestDone = result != 0;
  return result;
}
