#pragma once
// One descriptor record of a configuration area. Every record kind is a class derived from
// CDescriptor; CreateDescriptor (image/DescriptorFactory.h) picks the class.
//
// Contracts shared by all classes:
//   Parse gets exactly the bytes of one record (the area has bounded them by the record's
//   length) and reads nothing outside them; it returns 0 when the record is too short or
//   malformed for the class.
//   Build writes the record at the start of out and never past out's end; it returns 0 when the
//   object holds nothing to write or out has no room. On success length (and, where a record
//   takes more bytes in an area than its header says, extLength) tell how much was written.

#include <cstdint>
#include <span>
#include <vector>

class CDescriptor {
 public:
  CDescriptor() = default;
  explicit CDescriptor(std::uint8_t recordType) : type(recordType) {}
  virtual ~CDescriptor() = default;
  CDescriptor(const CDescriptor&) = default;
  CDescriptor& operator=(const CDescriptor&) = default;

  virtual int Parse(std::span<const std::uint8_t> record);
  virtual int Build(std::span<std::uint8_t> out) = 0;
  // Two operations that every record kind carries and none uses.
  virtual void Reserved3() {}
  virtual int Reserved4() { return 0; }

  // Bytes the record takes inside an area.
  [[nodiscard]] std::uint16_t SizeInArea() const { return extLength != 0 ? extLength : length; }

  std::uint16_t length = 0;
  std::uint16_t extLength = 0;
  std::uint8_t type = 0;
  std::uint8_t seen = 0;
};

// A record the tool does not interpret. It keeps its source bytes and writes them back unchanged,
// so that a rebuilt area still holds what its length counts.
class CDescDummy : public CDescriptor {
 public:
  int Parse(std::span<const std::uint8_t> record) override;
  int Build(std::span<std::uint8_t> out) override;
  [[nodiscard]] const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};
