#include "ntfs/attribute.h"

#include <algorithm>
#include <cstring>

#include "ntfs/record_fault.h"

namespace orvande {

std::span<const uint8_t> Attribute::NameBytes() const {
  const size_t count = NameLength();
  if (count == 0) return {};
  const size_t at = size_t{offset_} + NameOffset();
  LeReader record(record_);
  if (!record.Fits(at, count * 2)) ThrowRecordFault("attribute name outside its record");
  return record.Sub(at, count * 2);
}

bool Attribute::HasName(const AttributeName& name) const {
  if (name.IsAny()) return true;
  if (NameLength() != name.Length()) return false;
  std::span<const uint8_t> own = NameBytes();
  return own.size() == name.Bytes().size() &&
         (own.empty() || std::memcmp(own.data(), name.Bytes().data(), own.size()) == 0);
}

}  // namespace orvande
