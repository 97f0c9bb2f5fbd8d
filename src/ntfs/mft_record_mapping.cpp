// VCN mapping of MftRecord: an attribute's own runs, and the extents that the attribute list
// places in extension records.
#include <algorithm>

#include "ntfs/attribute_list.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_status.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;

}  // namespace

const RunList& MftRecord::Runs(const Attribute& attribute, OperationLog* log) const {
  auto it = runLists_.find(attribute.Offset());
  if (it == runLists_.end()) {
    const uint64_t start = uint64_t{attribute.Offset()} + attribute.RunListOffset();
    const uint64_t end =
        std::min<uint64_t>(uint64_t{attribute.Offset()} + attribute.Length(), buffer_.size());
    std::span<const uint8_t> bytes;
    if (start < end) bytes = std::span<const uint8_t>(buffer_).subspan(start, end - start);
    DecodedRuns decoded{RunList::Decode(bytes, attribute.StartingVcn(), attribute.LastVcn())};
    it = runLists_.emplace(attribute.Offset(), std::move(decoded)).first;
  }
  DecodedRuns& decoded = it->second;
  if (decoded.runs.Refused() && !decoded.faultLogged && log != nullptr) {
    decoded.faultLogged = true;
    log->AddFormat(OperationLog::kWarning, ntfs_texts::kRunListRefusedFormat, attribute.Type(),
                   location_.Kind() == kKindMft ? "MFT position" : "volume offset",
                   location_.Position(), RunListFaultText(decoded.runs.Fault()));
  }
  return decoded.runs;
}

bool MftRecord::MapVcn(const Attribute& attribute, uint64_t vcn, VcnMapping* out, bool collectUnit,
                       OperationLog* log) const {
  *out = VcnMapping{};
  out->unmapped = kUnboundedRun;
  if (!BelongsHere(attribute) || !attribute.HeaderFits(attribute_header::kNonResidentHeaderSize))
    return false;
  if (!attribute.NonResident() || attribute.RunListOffset() == 0) return false;
  return MapVcnInRuns(Runs(attribute, log), attribute.LastVcn(), attribute.IsCompressed(), vcn,
                      collectUnit, out);
}

bool MftRecord::MapVcnByName(uint32_t type, const AttributeName& name, uint64_t vcn,
                             VcnMapping* out, bool collectUnit, OperationLog* log) const {
  // How many VCNs from this one every source tried so far leaves unmapped: a mapping found
  // further on holds for a run only as long as nothing tried before would take over.
  uint64_t stillUnmapped = kUnboundedRun;
  if (std::optional<Attribute> attribute = FindAttribute(type, name)) {
    if (MapVcn(*attribute, vcn, out, collectUnit, log)) return true;
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
    if (extension->MapVcnByName(type, name, vcn, &found, collectUnit, log)) {
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
