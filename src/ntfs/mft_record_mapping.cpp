// VCN mapping of MftRecord: an attribute's own runs, and the extents that the attribute list
// places in extension records.
#include <algorithm>

#include "ntfs/attribute_list.h"
#include "ntfs/mft_record.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;

}  // namespace

const RunList& MftRecord::RunsOf(const Attribute& attribute) const {
  auto it = runLists_.find(attribute.Offset());
  if (it != runLists_.end()) return it->second;
  // Runs are read up to the end of the record buffer, not of the attribute.
  const size_t start = size_t{attribute.Offset()} + attribute.RunListOffset();
  std::span<const uint8_t> bytes = start <= buffer_.size()
                                       ? std::span<const uint8_t>(buffer_).subspan(start)
                                       : std::span<const uint8_t>();
  return runLists_.emplace(attribute.Offset(), RunList::Decode(bytes, attribute.StartingVcn()))
      .first->second;
}

bool MftRecord::MapVcn(const Attribute& attribute, uint64_t vcn, VcnMapping* out,
                       bool collectUnit) const {
  *out = VcnMapping{};
  out->unmapped = kUnboundedRun;
  if (!BelongsHere(attribute) || !attribute.HeaderFits(attribute_header::kNonResidentHeaderSize))
    return false;
  if (!attribute.NonResident() || attribute.RunListOffset() == 0) return false;
  return MapVcnInRuns(RunsOf(attribute), attribute.LastVcn(), attribute.IsCompressed(), vcn,
                      collectUnit, out);
}

bool MftRecord::MapVcnByName(uint32_t type, const AttributeName& name, uint64_t vcn,
                             VcnMapping* out, bool collectUnit) const {
  // How many VCNs from this one every source tried so far leaves unmapped: a mapping found
  // further on holds for a run only as long as nothing tried before would take over.
  uint64_t stillUnmapped = kUnboundedRun;
  if (std::optional<Attribute> attribute = FindAttribute(type, name)) {
    if (MapVcn(*attribute, vcn, out, collectUnit)) return true;
    stillUnmapped = out->unmapped;
  }
  *out = VcnMapping{};
  out->unmapped = stillUnmapped;
  if (location_.Kind() != kKindMft || !HasUsableAttributeList()) return false;
  AttributeListWalk walk(attributeList_);
  while (std::optional<AttributeListEntry> entry = walk.Next()) {
    if (entry->Type() != type || !entry->HasName(name)) continue;
    std::optional<uint64_t> position = entry->RecordPosition(recordSize_);
    if (!position) {
      out->unmapped = 1;
      return false;
    }
    if (*position == location_.Position()) continue;
    if (entry->StartingVcn() > vcn) {
      stillUnmapped = std::min(stillUnmapped, entry->StartingVcn() - vcn);
      continue;
    }
    const MftRecord* extension = FindExtension(*position);
    if (extension == nullptr) {
      out->unmapped = 1;
      return false;
    }
    VcnMapping found;
    if (extension->MapVcnByName(type, name, vcn, &found, collectUnit)) {
      *out = found;
      out->alike = std::min(found.alike, stillUnmapped);
      return true;
    }
    stillUnmapped = std::min(stillUnmapped, found.unmapped);
  }
  out->unmapped = stillUnmapped;
  return false;
}

}  // namespace orvande
