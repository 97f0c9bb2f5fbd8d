#include "ntfs/attribute_list.h"

#include <cstring>

#include "ntfs/record_fault.h"

namespace orvande {

std::optional<uint64_t> AttributeListEntry::RecordPosition(uint32_t recordSize) const {
  uint64_t position = 0;
  if (__builtin_mul_overflow(RecordNumber(), uint64_t{recordSize}, &position)) return std::nullopt;
  return position;
}

std::span<const uint8_t> AttributeListEntry::NameBytes() const {
  const size_t count = NameLength();
  if (count == 0) return {};
  LeReader list(list_);
  const size_t at = offset_ + list_entry::kNameOffset;
  if (!list.Fits(at, count * 2)) ThrowRecordFault("attribute list name outside the list");
  return list.Sub(at, count * 2);
}

bool AttributeListEntry::HasName(const AttributeName& name) const {
  if (name.IsAny()) return true;
  if (NameLength() != name.Length()) return false;
  std::span<const uint8_t> own = NameBytes();
  return own.empty() || std::memcmp(own.data(), name.Bytes().data(), own.size()) == 0;
}

std::optional<AttributeListEntry> AttributeListWalk::Next() {
  if (done_) return std::nullopt;
  if (!LeReader(list_).Fits(next_, list_entry::kFixedSize)) {
    done_ = true;
    return std::nullopt;
  }
  AttributeListEntry entry(list_, next_);
  if (entry.Length() == 0) {
    done_ = true;
    zeroLength_ = true;
    return std::nullopt;
  }
  next_ += entry.Length();
  return entry;
}

}  // namespace orvande
