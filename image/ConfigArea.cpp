#include "image/ConfigArea.h"

#include <algorithm>

#include "image/ByteOrder.h"
#include "image/DescCode.h"
#include "image/DescCommon.h"
#include "image/DescriptorFactory.h"
#include "image/RecordHeader.h"

namespace {
// An area header holds a 16-bit length, so nothing larger can be built.
constexpr std::size_t kMaxBuiltArea = 0xFFFF;
}  // namespace

const CDescGlobal& CConfigArea::Load(std::span<const std::uint8_t> bytes) {
  const std::size_t n = std::min(bytes.size(), kMaxCopyBytes);
  bytes_.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
  code_.clear();
  return ReadHeader();
}

const CDescGlobal& CConfigArea::ReadHeader() {
  header_.Parse(bytes_);
  leading_ = {};
  codeBytes_.clear();
  cursor_ = CDescGlobal::kSize;
  recordsEnd_ = std::min<std::size_t>(bytes_.size(), header_.areaLength);
  remaining_ = header_.descriptorCount;

  const auto at = [&](std::uint8_t length, std::uint8_t type) {
    if (cursor_ + length > recordsEnd_) return false;
    return bytes_[cursor_] == length && bytes_[cursor_ + 1] == type;
  };
  const auto consume = [&](std::uint8_t length) {
    const std::uint8_t value = bytes_[cursor_ + 2];
    cursor_ += length;
    --remaining_;
    return value;
  };
  if (at(kLeadingHwapLength, 47)) {
    leading_.hwapSecondValue = GetLe16(bytes_, cursor_ + 4);
    consume(kLeadingHwapLength);
  }
  if (at(kLeadingByteLength, 8)) leading_.eepInfo = consume(kLeadingByteLength);
  if (HasBankCopyInfo(header_.chipId) && at(kLeadingByteLength, 20)) {
    leading_.bankCopyInfo = consume(kLeadingByteLength);
  }
  if (at(kLeadingByteLength, 21)) leading_.forceUpdateInfo = consume(kLeadingByteLength);
  return header_;
}

void CConfigArea::TakeCodeData(CDescriptor& obj, std::size_t recordEnd) {
  auto* code = dynamic_cast<CDescCodeData*>(&obj);
  if (code == nullptr) return;
  if (obj.type == CDescSmallCachecode::kType) {
    code->extLength = static_cast<std::uint16_t>(std::min<std::size_t>(code->dataLength + 8u, 0xFFFF));
  }
  const std::size_t end = std::size_t{code->dataOffset} + code->dataLength;
  if (end > bytes_.size()) {
    codeBytes_.clear();
  } else {
    codeBytes_.assign(bytes_.begin() + code->dataOffset, bytes_.begin() + static_cast<std::ptrdiff_t>(end));
    if (code->data.empty()) code->data = codeBytes_;
  }
  // Code data behind the records is not more records.
  if (code->dataOffset >= recordEnd) recordsEnd_ = std::min<std::size_t>(recordsEnd_, code->dataOffset);
}

std::unique_ptr<CDescriptor> CConfigArea::NextDescriptor() {
  if (cursor_ >= recordsEnd_) return nullptr;
  const std::span<const std::uint8_t> rest = std::span(bytes_).subspan(cursor_, recordsEnd_ - cursor_);
  const auto header = ReadAreaRecordHeader(rest, header_.chipId);
  if (!header || header->length < header->headerBytes || header->length > rest.size()) return nullptr;
  std::unique_ptr<CDescriptor> obj = CreateDescriptor(header->type, header_.chipId, header->length);
  if (obj->Parse(rest.first(header->length)) == 0) return nullptr;
  const std::size_t recordEnd = cursor_ + header->length;
  TakeCodeData(*obj, recordEnd);
  cursor_ = recordEnd;
  return obj;
}

bool CConfigArea::SkipDescriptor() {
  if (cursor_ >= recordsEnd_) return false;
  const std::span<const std::uint8_t> rest = std::span(bytes_).subspan(cursor_, recordsEnd_ - cursor_);
  const auto header = ReadAreaRecordHeader(rest, header_.chipId);
  // A record shorter than its own header cannot be stepped over: the cursor would not move.
  if (!header || header->length < header->headerBytes || header->length > rest.size()) return false;
  cursor_ += header->length;
  return true;
}

CConfigArea::WalkResult CConfigArea::Walk(const std::function<bool(CDescriptor&)>& visit) {
  for (;;) {
    const std::size_t before = cursor_;
    if (std::unique_ptr<CDescriptor> obj = NextDescriptor()) {
      if (!visit(*obj)) return WalkResult::kStopped;
      --remaining_;
    } else if (remaining_ <= 0) {
      return WalkResult::kComplete;
    } else if (SkipDescriptor()) {
      --remaining_;
    } else {
      return WalkResult::kCorrupt;
    }
    if (cursor_ <= before) return WalkResult::kCorrupt;
  }
}

void CConfigArea::BeginBuild(const CDescGlobal& source, const LeadingRecords& leading, bool withVersion) {
  header_ = CDescGlobal{};
  header_.bootMemoryCode = source.bootMemoryCode;
  header_.signature = CDescGlobal::kSignature;
  header_.subCode = source.subCode;
  header_.chipId = source.chipId;
  header_.areaLength = CDescGlobal::kSize;
  header_.descriptorCount = 0;
  bytes_.assign(kMaxBuiltArea, 0xFF);
  cursor_ = CDescGlobal::kSize;
  code_.clear();
  if (!withVersion) return;

  CDescHWAPVersion version;
  version.SetField("ModelCode", HwapModelCode(source.chipId));
  version.SetField("SecondValue", leading.hwapSecondValue.value_or(kDefaultHwapSecondValue));
  AddDescriptor(version);
  if (leading.eepInfo) {
    CDescEEPInfo eep;
    eep.SetField("Value", *leading.eepInfo);
    AddDescriptor(eep);
  }
  if (leading.bankCopyInfo && HasBankCopyInfo(source.chipId)) {
    CDescBankCopyInfo bank;
    bank.SetField("Value", *leading.bankCopyInfo);
    AddDescriptor(bank);
  }
  if (leading.forceUpdateInfo) {
    CDescForceUpdateInfo force;
    force.SetField("Value", *leading.forceUpdateInfo);
    AddDescriptor(force);
  }
}

bool CConfigArea::AddDescriptor(CDescriptor& obj) {
  if (header_.descriptorCount == 0xFF || cursor_ >= bytes_.size()) return false;
  if (auto* cache = dynamic_cast<CDescSmallCachecode*>(&obj)) {
    cache->dataOffset = static_cast<std::uint16_t>(cursor_ + CDescSmallCachecode::kHeadBytes);
  }
  obj.extLength = 0;
  if (obj.Build(std::span(bytes_).subspan(cursor_)) == 0) return false;
  const std::size_t size = obj.SizeInArea();
  if (size == 0) return true;  // nothing was written
  if (auto* info = dynamic_cast<CDescCodeInfo*>(&obj)) {
    code_.push_back({cursor_ + CDescCodeInfo::kOffsetField, info->data});
  }
  cursor_ += size;
  header_.areaLength = static_cast<std::uint16_t>(cursor_);
  ++header_.descriptorCount;
  return true;
}

std::size_t CConfigArea::BuiltLength() const {
  std::size_t n = cursor_;
  for (const CodeBlock& block : code_) n += block.bytes.size();
  return n;
}

bool CConfigArea::GetConfigData(std::span<std::uint8_t> out) const {
  const std::size_t total = BuiltLength();
  if (total > kMaxBuiltArea || total + kBuildReserve > out.size()) return false;
  std::copy(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(cursor_), out.begin());
  std::size_t at = cursor_;
  for (const CodeBlock& block : code_) {
    PutLe16(out, block.offsetSlot, static_cast<std::uint32_t>(at));
    std::copy(block.bytes.begin(), block.bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    at += block.bytes.size();
  }
  CDescGlobal header = header_;
  header.areaLength = static_cast<std::uint16_t>(total);
  return header.Build(out) != 0;
}
