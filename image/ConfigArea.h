#pragma once
// One configuration area while it is read or rebuilt: the 6-byte header, the leading records
// (HWAPVersion, EEPInfo, BankCopyInfo, ForceUpdateInfo), then descriptor records, then the code
// data of type-15 records.
//
// Reading never looks outside the copied bytes, nor past the area length, nor into the code data
// a type-15 or type-39 record points at behind the records. Building never writes past the
// 16-bit area a header can describe.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "image/DescGlobal.h"
#include "image/Descriptor.h"

// Values of the leading records an area carried.
struct LeadingRecords {
  std::optional<std::uint16_t> hwapSecondValue;
  std::optional<std::uint8_t> eepInfo;
  std::optional<std::uint8_t> bankCopyInfo;
  std::optional<std::uint8_t> forceUpdateInfo;
};

class CConfigArea {
 public:
  static constexpr std::size_t kMaxCopyBytes = 0x200000;
  static constexpr std::size_t kBuildReserve = 128;

  enum class WalkResult { kComplete, kCorrupt, kStopped };

  // Copies min(bytes.size(), kMaxCopyBytes) bytes and reads the header (ReadHeader).
  const CDescGlobal& Load(std::span<const std::uint8_t> bytes);
  // Parses the header and consumes the leading records; calling it again gives the same cursor
  // and remaining count.
  const CDescGlobal& ReadHeader();
  // The next record, cursor advanced past it; null at the end or when the record cannot be read.
  [[nodiscard]] std::unique_ptr<CDescriptor> NextDescriptor();
  // Advances past one record by its header length; false when there is none to skip.
  bool SkipDescriptor();
  // Reads the records left after ReadHeader, skipping unreadable ones. visit returns false to
  // stop the walk (kStopped). kCorrupt: a record could be neither read nor skipped while the
  // count said more were left.
  WalkResult Walk(const std::function<bool(CDescriptor&)>& visit);

  [[nodiscard]] const CDescGlobal& Header() const { return header_; }
  [[nodiscard]] const LeadingRecords& Leading() const { return leading_; }
  [[nodiscard]] int Remaining() const { return remaining_; }
  // Offset of the cursor from the area start.
  [[nodiscard]] std::size_t Cursor() const { return cursor_; }

  // Starts a new area with the identity of source (boot memory code, sub-code, chip id); with
  // withVersion it adds a HWAPVersion record and the leading records the source had.
  void BeginBuild(const CDescGlobal& source, const LeadingRecords& leading, bool withVersion);
  // Builds obj at the cursor; false when it cannot be built or the area has no room left.
  bool AddDescriptor(CDescriptor& obj);
  // Writes the header, the records and the code data to the start of out; false when the area
  // plus the 128-byte reserve does not fit out (or a 16-bit area length).
  [[nodiscard]] bool GetConfigData(std::span<std::uint8_t> out) const;
  // Bytes GetConfigData writes: records plus code data.
  [[nodiscard]] std::size_t BuiltLength() const;

 private:
  struct CodeBlock {
    std::size_t offsetSlot;  // where the data offset is patched
    std::vector<std::uint8_t> bytes;
  };

  void TakeCodeData(CDescriptor& obj, std::size_t recordEnd);

  std::vector<std::uint8_t> bytes_;
  std::size_t cursor_ = 0;
  std::size_t recordsEnd_ = 0;  // reading stops here
  int remaining_ = 0;
  CDescGlobal header_;
  LeadingRecords leading_;
  std::vector<std::uint8_t> codeBytes_;  // code data of the last type-15 or type-39 record read
  std::vector<CodeBlock> code_;          // code data to append when building
};
