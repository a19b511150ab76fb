// One block from the image to the device: prepare it, check space and entries (asking the
// operator when little is left), write, verify through the ECC records, register, retire.
#include "flow/OtpFlow.h"

#include <algorithm>

#include "app/Trace.h"
#include "flow/NotifyUi.h"
#include "flow/StopFlag.h"
#include "flow/TextIds.h"
#include "image/ConfigArea.h"
#include "image/DescCode.h"
#include "platform/MessageBox.h"

bool g_bOTPCodePart = false;
const std::uint8_t* g_pOTPBlock = nullptr;
std::uint16_t g_wOTPBlockLen = 0;

namespace {

constexpr std::size_t kMaxImageBytes = 0x200000;
constexpr std::uint32_t kFewBytesLeft = 5120;
constexpr int kFewEntriesLeft = 4;
constexpr std::uint8_t kPartCode = 3;
constexpr std::uint8_t kPartConfig = 1;
constexpr const char* kCaption = "Lumatrace";

void PutLength(std::vector<std::uint8_t>& block) {
  block[3] = static_cast<std::uint8_t>(block.size() & 0xFF);
  block[4] = static_cast<std::uint8_t>(block.size() >> 8);
}

// Keeps the stop request off the commands while held.
class StopHold {
 public:
  explicit StopHold(CKobFun& fun) : fun_(fun) { ++fun_.m_iStopHold; }
  ~StopHold() { --fun_.m_iStopHold; }
  StopHold(const StopHold&) = delete;
  StopHold& operator=(const StopHold&) = delete;

 private:
  CKobFun& fun_;
};

}  // namespace

int CMpFlow_OTP::OTP_PrepareBlock(int part) {
  TraceScope scope("CMpFlow_OTP::OTP_PrepareBlock");
  g_bOTPCodePart = part == 0;
  std::vector<std::uint8_t>& block = m_partBlocks[part == 0 ? 0 : 1];
  block.clear();
  const std::size_t size = std::min(imageBytes.size(), kMaxImageBytes);
  // Byte 0 is the boot memory code; the signature is byte 1.
  if (size < kOtpHeaderBytes || imageBytes[1] != 0xA5) {
    TraceFail(scope, "OTP Image Has No Configuration Area\n");
    return 0;
  }
  CConfigArea area;
  const CDescGlobal& header = area.Load(std::span(imageBytes.data(), size));
  const std::uint32_t total = header.areaLength;
  int descriptors = 0;
  std::uint32_t code = 0;
  bool codeMisplaced = false;
  bool config = false;
  const CConfigArea::WalkResult walk = area.Walk([&](CDescriptor& d) {
    TraceWrite(scope, "Find descriptor 0x%02X\n", d.type);
    ++descriptors;
    if (d.type != CDescSmallCachecode::kType) {
      config = true;
    } else if (code != 0 || area.Cursor() - d.SizeInArea() != kOtpHeaderBytes) {
      codeMisplaced = true;
    } else {
      code = d.SizeInArea();
    }
    return true;
  });
  if (walk == CConfigArea::WalkResult::kCorrupt) {
    TraceFail(scope, "Config file corrupted\r\n");
    return 0;
  }
  if (codeMisplaced) {
    TraceFail(scope, "Code record not right after the header\n");
    return 0;
  }
  const std::uint32_t codeBlock = code != 0 ? kOtpHeaderBytes + code : 0;
  const std::uint32_t configBlock = code != 0 ? total - code : total;
  if (total < kOtpHeaderBytes || total > size || codeBlock > total || codeBlock > kOtpDataEnd ||
      (config && configBlock > kOtpDataEnd)) {
    TraceFail(scope, "OTP Block Length Invalid 0x%x 0x%x\n", total, code);
    return 0;
  }
  const auto chip = static_cast<std::uint8_t>(imageBytes[2] & 0xF8);
  if (part == 0) {
    if (code == 0) return 2;
    block.assign(imageBytes.begin(), imageBytes.begin() + codeBlock);
    block[2] = static_cast<std::uint8_t>(chip | kPartCode);
    block[5] = 3;
  } else {
    if (!config) return 2;
    if (code == 0) {
      block.assign(imageBytes.begin(), imageBytes.begin() + total);
    } else {
      block.assign(imageBytes.begin(), imageBytes.begin() + kOtpHeaderBytes);
      block.insert(block.end(), imageBytes.begin() + codeBlock, imageBytes.begin() + total);
      block[2] = static_cast<std::uint8_t>(chip | kPartConfig);
      block[5] = static_cast<std::uint8_t>(descriptors + 1);
    }
  }
  PutLength(block);
  g_pOTPBlock = block.data();
  g_wOTPBlockLen = static_cast<std::uint16_t>(block.size());
  return 1;
}

int CMpFlow_OTP::OTP_CheckSpace(std::uint32_t total, int blocks) {
  TraceScope scope("CMpFlow_OTP::OTP_CheckSpaceAndUpdate");
  BeginOtpOperation();
  const std::optional<OtpBlock> last = OtpLastBlock();
  const std::optional<int> entries = MP_OTPGetFreeVDNum();
  if (!last || !entries) {
    PostOtpError(IDS_READ_OTP_FAIL);
    return 0;
  }
  const std::uint32_t freeBytes = kOtpDataEnd - (std::uint32_t{last->address} + last->length);
  TraceWrite(scope, "Free 0x%x Need 0x%x VD %d\n", freeBytes, total, *entries);
  const auto refuse = [&] {
    (void)ResetIntoNewCode(0);
    PostOtpError(IDS_WRITE_OTP_FAIL);
    return 0;
  };
  if (*entries < std::max(blocks, 1)) {
    (void)ShowMessageBox("No Available VD Block!", kCaption);
    return refuse();
  }
  if (total > freeBytes) {
    TraceFail(scope, "Exceed Code Length\n");
    PostOtpError(IDS_CODE_EXCEED_MAX_LENGTH);
    return 0;
  }
  const auto ask = [&](const char* text) {
    return ShowMessageBox(text, kCaption, MessageBoxButtons::kYesNo, MessageBoxAnswer::kNo) == MessageBoxAnswer::kYes;
  };
  if (freeBytes <= kFewBytesLeft && !ask("OTP Code Size Less than 5K,\nContinue to Update!")) return refuse();
  if (*entries <= kFewEntriesLeft && !ask("OTP VD Block Less than 4,\nContinue to Update!")) return refuse();
  return 1;
}

int CMpFlow_OTP::OTP_CheckSpaceAndUpdate(const std::uint8_t* block, std::uint16_t length) {
  if (OTP_CheckSpace(length, 1) == 0) return 0;
  return OTP_UpdateEx_Cmd2(block, length);
}

int CMpFlow_OTP::OTP_UpdateEx_Cmd2(const std::uint8_t* block, std::uint16_t length) {
  TraceScope scope("CMpFlow_OTP::OTP_UpdateEx_Cmd2");
  // Entered only while nothing has failed: this write reports its own failure.
  BeginOtpOperation();
  if (IsStopRequested()) {
    PostOtpError(IDS_RESET_DEVICE_FAIL);
    return 0;
  }
  // From here on a stop waits until the block is registered or its space recorded.
  const StopHold hold(*this);
  readBack.assign(length, 0);
  if (MP_OTPWrite(length, block) == 0) {
    (void)MP_OTPFailAction(length);
    return 0;
  }
  if (OTP_Veriry_Cmd2(m_wStartAddr, length, readBack.data()) == 0 ||
      MP_OTPGetCorrectCodeData(m_wStartAddr, length, readBack.data()) == 0) {
    TraceFail(scope, "Read OTP Fail\n");
    PostOtpError(IDS_READ_OTP_FAIL);
    (void)MP_OTPFailAction(length);
    return 0;
  }
  if (!std::equal(m_blockCopy.begin(), m_blockCopy.end(), readBack.begin())) {
    TraceFail(scope, "Compare OTP Code Fail\n");
    PostOtpError(IDS_COMPARE_DATA_FAIL);
    (void)MP_OTPFailAction(length);
    return 0;
  }
  if (MP_OTPWriteBlock(length) == 0) {
    TraceFail(scope, "MP_OTPWriteBlock Fail\n");
    PostOtpError(IDS_WRITE_BLOCK_FAIL);
    // The data is written: its space is recorded (when an entry is left) and its records go.
    m_wCurAddr = kOtpNoAddress;
    (void)MP_OTPFailAction(length);
    return 0;
  }
  if (m_iSelBlock != m_iPreSelBlock) {
    std::uint8_t pre[kOtpVdEntryBytes] = {};
    const bool read = KobOtpRead(static_cast<std::uint16_t>(VdEntryAddress(m_iPreSelBlock)), kOtpVdEntryBytes, pre) != 0;
    const std::uint8_t flag = pre[4];
    if (MP_OTPClearECC() == 0 || !read ||
        ((flag == kVdFlagCode || flag == kVdFlagConfig) ? MP_OTPClearPreVDBlock() : MP_OTPClearPrePreVDBlock()) == 0) {
      TraceFail(scope, "Retire Previous Block Fail\n");
      PostOtpError(IDS_WRITE_OTP_FAIL);
      return 0;
    }
  }
  return 1;
}

int CMpFlow_OTP::OTP_ReadEx_Cmd2(std::uint16_t address, std::uint16_t length, std::uint8_t* buffer, bool showProgress) {
  TraceScope scope("CMpFlow_OTP::OTP_ReadEx_Cmd2", 0);
  NotifyUi(UM_STATUS, IDS_STEP_READ);
  for (std::uint32_t done = 0; done < length;) {
    // A write in progress finishes its verification before it stops.
    if (m_iStopHold == 0 && IsStopRequested()) return 0;
    const auto chunk = static_cast<std::uint16_t>(std::min<std::uint32_t>(kOtpChunkBytes, length - done));
    if (KobOtpRead(static_cast<std::uint16_t>(address + done), chunk, buffer + done) == 0) return 0;
    done += chunk;
    if (showProgress) NotifyUi(UM_PROGRESS, 10 + 80ull * done / length);
  }
  return 1;
}

int CMpFlow_OTP::OTP_Veriry_Cmd2(std::uint16_t address, std::uint16_t length, std::uint8_t* buffer) {
  return OTP_ReadEx_Cmd2(address, length, buffer, false);
}
