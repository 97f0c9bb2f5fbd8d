#pragma once
// The entries of an $ATTRIBUTE_LIST value: views over the loaded list bytes, valid while the
// record holding the list is not read again. Not thread-safe.
#include <cstdint>
#include <optional>
#include <span>

#include "ntfs/attribute.h"
#include "ntfs/ntfs_layout.h"
#include "support/le_reader.h"

namespace orvande {

class AttributeListEntry {
 public:
  AttributeListEntry(std::span<const uint8_t> list, size_t offset) : list_(list), offset_(offset) {}

  size_t Offset() const { return offset_; }
  uint32_t Type() const { return Field().U32(list_entry::kTypeOffset); }
  uint32_t Length() const { return Field().U16(list_entry::kLengthOffset); }
  uint32_t NameLength() const { return Field().U8(list_entry::kNameLengthOffset); }
  uint64_t StartingVcn() const { return Field().U64(list_entry::kStartingVcnOffset); }
  // 48 bits: u32 then u16.
  uint64_t RecordNumber() const {
    return Field().U32(list_entry::kRecordNumberLowOffset) |
           (uint64_t{Field().U16(list_entry::kRecordNumberHighOffset)} << 32);
  }
  // The MFT position of the entry's record, given the record size of the record holding the
  // list; nullopt when the product does not fit 64 bits.
  std::optional<uint64_t> RecordPosition(uint32_t recordSize) const;

  // RecordFault when the name would lie outside the list.
  std::span<const uint8_t> NameBytes() const;
  bool HasName(const AttributeName& name) const;

 private:
  LeReader Field() const { return LeReader(LeReader(list_).Sub(offset_, list_entry::kFixedSize)); }

  std::span<const uint8_t> list_;
  size_t offset_;
};

// Walks the entries while their fixed part lies inside the list. A zero entry length ends the walk
// before that entry is used; callers tell that end apart from the list's end.
class AttributeListWalk {
 public:
  explicit AttributeListWalk(std::span<const uint8_t> list) : list_(list) {}

  std::optional<AttributeListEntry> Next();
  bool EndedAtZeroLength() const { return zeroLength_; }

 private:
  std::span<const uint8_t> list_;
  size_t next_ = 0;
  bool zeroLength_ = false;
  bool done_ = false;
};

}  // namespace orvande
