#include "ntfs/nameless_record.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "core/type_extension.h"
#include "ntfs/attribute_list.h"
#include "ntfs/cluster_reader.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_analyzer.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;
// Enough of the data for every recogniser of the plug-in.
constexpr uint64_t kRecognisedBytes = 4096;

bool IsSystemRecord(const MftRecord& record, uint32_t n) {
  if (record.Location().Kind() == kKindMft) return n < kFirstUserRecord;
  // A record found loose on the disk is numbered after the table; its header tells its own.
  const LeReader header(record.Bytes());
  if (header.U16(record_header::kUsaOffsetOffset) < record_header::kOwnNumberEnd) return false;
  return header.U32(record_header::kOwnNumberOffset) < kFirstUserRecord;
}

bool RunsInsideVolume(const MftRecord& record, const Attribute& data, OperationLog* log) {
  if (!data.HeaderFits(attribute_header::kNonResidentHeaderSize) || data.RunListOffset() == 0)
    return false;
  const RunList& runs = record.Runs(data, log);
  if (!runs.Complete()) return false;
  const ClusterReader& clusters = record.Analyzer()->Clusters();
  return std::all_of(runs.Extents().begin(), runs.Extents().end(), [&](const RunExtent& extent) {
    return extent.sparse || clusters.ClustersInVolumeFrom(extent.lcn) >= extent.length;
  });
}

// The first extent of the unnamed $DATA: in the record itself, else in the extension record
// that the attribute list names for VCN 0.
std::optional<Attribute> FirstDataExtent(MftRecord& record, const MftRecord** holder) {
  *holder = &record;
  if (std::optional<Attribute> own = record.FindAttribute(kAttrData, AttributeName::None()))
    return own;
  if (record.Location().Kind() != kKindMft || !record.HasUsableAttributeList()) return std::nullopt;
  AttributeListWalk walk(record.AttributeListBytes());
  while (std::optional<AttributeListEntry> entry = walk.Next()) {
    if (entry->Type() != kAttrData || entry->NameLength() != 0 || entry->StartingVcn() != 0)
      continue;
    std::optional<uint64_t> position = entry->RecordPosition(record.RecordSize());
    const MftRecord* extension = position ? record.FindExtension(*position) : nullptr;
    if (extension == nullptr) return std::nullopt;
    *holder = extension;
    return extension->FindAttribute(kAttrData, AttributeName::None());
  }
  return std::nullopt;
}

}  // namespace

bool HoldsLostData(MftRecord& record, uint32_t n, uint64_t dataSize, OperationLog* log) {
  if (dataSize == 0 || record.IsExtension() || IsSystemRecord(record, n)) return false;
  const MftRecord* holder = nullptr;
  std::optional<Attribute> data = FirstDataExtent(record, &holder);
  if (!data || !data->HeaderFits(attribute_header::kWalkHeaderSize)) return false;
  return !data->NonResident() || RunsInsideVolume(*holder, *data, log);
}

std::string LostRecordName(MftRecord& record, uint32_t n, uint64_t dataSize,
                           const TypeExtension& types, OperationLog* log) {
  std::string name = "Record_" + std::to_string(n);
  std::vector<uint8_t> start(std::min(dataSize, kRecognisedBytes));
  uint64_t got = 0;
  if (!record.ReadStream(kAttrData, AttributeName::None(), start.data(), 0, start.size(), &got,
                         log))
    return name;
  const std::string extension = types.Of(start.data(), static_cast<uint32_t>(got));
  if (!extension.empty()) name += "." + extension;
  return name;
}

}  // namespace orvande
