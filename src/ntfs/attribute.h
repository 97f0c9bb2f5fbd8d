#pragma once
// One attribute header inside a file record's buffer, and the name attributes are looked up by.
// Views over a record's bytes: valid while the record is not read again. Not thread-safe.
#include <algorithm>
#include <cstdint>
#include <span>

#include "ntfs/ntfs_layout.h"
#include "support/le_reader.h"

namespace orvande {

// Any name, no name (the unnamed attribute), or a UTF-16LE name of 2 bytes per unit.
class AttributeName {
 public:
  static AttributeName Any() { return AttributeName(true, {}); }
  static AttributeName None() { return AttributeName(false, {}); }
  static AttributeName Of(std::span<const uint8_t> utf16le) {
    return AttributeName(false, utf16le);
  }

  bool IsAny() const { return any_; }
  uint32_t Length() const { return static_cast<uint32_t>(bytes_.size() / 2); }
  std::span<const uint8_t> Bytes() const { return bytes_; }

 private:
  AttributeName(bool any, std::span<const uint8_t> bytes) : any_(any), bytes_(bytes) {}
  bool any_;
  std::span<const uint8_t> bytes_;
};

class Attribute {
 public:
  Attribute(std::span<const uint8_t> record, uint32_t offset) : record_(record), offset_(offset) {}

  // The header's offset from the start of the record.
  uint32_t Offset() const { return offset_; }
  std::span<const uint8_t> Record() const { return record_; }

  uint32_t Type() const { return Field().U32(attribute_header::kTypeOffset); }
  uint32_t Length() const { return Field().U16(attribute_header::kLengthOffset); }
  bool NonResident() const { return Field().U8(attribute_header::kNonResidentOffset) != 0; }
  uint32_t NameLength() const { return Field().U8(attribute_header::kNameLengthOffset); }
  uint32_t NameOffset() const { return Field().U16(attribute_header::kNameOffsetOffset); }
  uint16_t Flags() const { return Field().U16(attribute_header::kFlagsOffset); }
  bool IsCompressed() const { return (Flags() & attribute_header::kCompressionMask) != 0; }

  uint32_t ValueLength() const { return Field().U32(attribute_header::kValueLengthOffset); }
  uint32_t ValueOffset() const { return Field().U16(attribute_header::kValueOffsetOffset); }

  uint64_t StartingVcn() const { return Field().U64(attribute_header::kStartingVcnOffset); }
  uint64_t LastVcn() const { return Field().U64(attribute_header::kLastVcnOffset); }
  uint32_t RunListOffset() const { return Field().U16(attribute_header::kRunListOffsetOffset); }
  uint64_t AllocatedSize() const { return Field().U64(attribute_header::kAllocatedSizeOffset); }
  uint64_t DataSize() const { return Field().U64(attribute_header::kDataSizeOffset); }

  // True when `size` bytes of the header lie inside the record.
  bool HeaderFits(size_t size) const { return LeReader(record_).Fits(offset_, size); }
  // True when the name's bytes lie inside the record.
  bool NameFits() const {
    return LeReader(record_).Fits(size_t{offset_} + NameOffset(), size_t{NameLength()} * 2);
  }
  // The name's UTF-16LE bytes; RecordFault when they would lie outside the record.
  std::span<const uint8_t> NameBytes() const;
  // True when the attribute carries the name (Any matches every name).
  bool HasName(const AttributeName& name) const;

 private:
  // Reads from the header; fields outside the record read as 0 (callers check HeaderFits first
  // where a field decides anything).
  LeReader Field() const {
    LeReader record(record_);
    return LeReader(record.Sub(offset_, record.size() - std::min<size_t>(offset_, record.size())));
  }

  std::span<const uint8_t> record_;
  uint32_t offset_;
};

}  // namespace orvande
