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
  if (attribute.IsCompressed() && location_.Kind() == kKindMft && HasUsableAttributeList() &&
      attribute.NameFits()) {
    const AttributeName name = AttributeName::Of(attribute.NameBytes());
    if (const JoinedRuns* joined = JoinedCompressedRuns(attribute.Type(), name, log))
      return MapVcnInRuns(*joined->runs, joined->lastVcn, true, vcn, collectUnit, out);
  }
  return MapVcnInRuns(Runs(attribute, log), attribute.LastVcn(), attribute.IsCompressed(), vcn,
                      collectUnit, out);
}

const JoinedRuns* MftRecord::JoinedCompressedRuns(uint32_t type, const AttributeName& name,
                                                 OperationLog* log) const {
  const std::span<const uint8_t> nameBytes = name.Bytes();
  if (joinedRuns_ && joinedRuns_->type == type && joinedRuns_->anyName == name.IsAny() &&
      std::equal(joinedRuns_->name.begin(), joinedRuns_->name.end(), nameBytes.begin(),
                 nameBytes.end()))
    return joinedRuns_->runs ? &*joinedRuns_ : nullptr;
  joinedRuns_.emplace();
  joinedRuns_->type = type;
  joinedRuns_->anyName = name.IsAny();
  joinedRuns_->name.assign(nameBytes.begin(), nameBytes.end());

  // The pieces: this record's own, then each one the attribute list places elsewhere.
  struct Piece {
    const MftRecord* record;
    Attribute attribute;
  };
  std::vector<Piece> pieces;
  auto addPiece = [&](const MftRecord& record) {
    std::optional<Attribute> attribute = record.FindAttribute(type, name);
    if (attribute && attribute->HeaderFits(attribute_header::kNonResidentHeaderSize) &&
        attribute->NonResident() && attribute->RunListOffset() != 0)
      pieces.push_back({&record, *attribute});
  };
  addPiece(*this);
  AttributeListWalk walk(attributeList_);
  while (std::optional<AttributeListEntry> entry = walk.Next()) {
    if (entry->Type() != type || !entry->HasName(name)) continue;
    std::optional<uint64_t> position = entry->RecordPosition(recordSize_);
    if (!position || *position == location_.Position()) continue;
    if (const MftRecord* extension = FindExtension(*position)) addPiece(*extension);
  }
  std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
    return a.attribute.StartingVcn() < b.attribute.StartingVcn();
  });
  const bool offUnitBound = std::any_of(pieces.begin(), pieces.end(), [](const Piece& piece) {
    return piece.attribute.StartingVcn() % kClustersPerUnit != 0;
  });
  if (pieces.size() < 2 || !offUnitBound || pieces.front().attribute.StartingVcn() != 0 ||
      !pieces.front().attribute.IsCompressed())
    return nullptr;
  RunList joined = pieces.front().record->Runs(pieces.front().attribute, log);
  for (size_t i = 1; i < pieces.size(); ++i) {
    // Pieces that leave a gap or overlap: each keeps mapping alone, as before.
    if (!joined.Append(pieces[i].record->Runs(pieces[i].attribute, log))) return nullptr;
  }
  joinedRuns_->lastVcn = pieces.back().attribute.LastVcn();
  joinedRuns_->runs = std::move(joined);
  return &*joinedRuns_;
}

bool MftRecord::MapVcnByName(uint32_t type, const AttributeName& name, uint64_t vcn,
                             VcnMapping* out, bool collectUnit, OperationLog* log) const {
  if (location_.Kind() == kKindMft && HasUsableAttributeList()) {
    if (const JoinedRuns* joined = JoinedCompressedRuns(type, name, log)) {
      *out = VcnMapping{};
      return MapVcnInRuns(*joined->runs, joined->lastVcn, true, vcn, collectUnit, out);
    }
  }
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
