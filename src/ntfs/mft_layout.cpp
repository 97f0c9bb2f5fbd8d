#include "ntfs/mft_layout.h"

#include <algorithm>
#include <map>
#include <optional>

#include "ntfs/attribute_list.h"
#include "ntfs/mft_record.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;

bool Multiply(uint64_t a, uint64_t b, uint64_t* out) {
  return !__builtin_mul_overflow(a, b, out);
}

}  // namespace

void MftLayout::AddRuns(const MftRecord& record) {
  std::optional<Attribute> attribute = record.FindAttribute(kAttrData, AttributeName::None());
  if (!attribute || !attribute->HeaderFits(attribute_header::kNonResidentHeaderSize) ||
      !attribute->NonResident() || attribute->RunListOffset() == 0)
    return;
  const RunList& runs = record.Runs(*attribute, nullptr);
  extents_.insert(extents_.end(), runs.Extents().begin(), runs.Extents().end());
}

MftLayout MftLayout::Of(const MftRecord& table) {
  MftLayout layout;
  layout.AddRuns(table);
  if (table.Location().Kind() == kKindMft && table.HasUsableAttributeList()) {
    AttributeListWalk walk(table.AttributeListBytes());
    while (std::optional<AttributeListEntry> entry = walk.Next()) {
      if (entry->Type() != kAttrData || entry->NameLength() != 0) continue;
      std::optional<uint64_t> position = entry->RecordPosition(table.RecordSize());
      if (!position || *position == table.Location().Position()) continue;
      if (const MftRecord* extension = table.FindExtension(*position)) layout.AddRuns(*extension);
    }
  }
  // The record's own runs come first, so where extents claim the same VCNs the one that the
  // reads use is kept.
  std::stable_sort(layout.extents_.begin(), layout.extents_.end(),
                   [](const RunExtent& a, const RunExtent& b) { return a.vcn < b.vcn; });
  std::vector<RunExtent> kept;
  uint64_t reached = 0;
  for (const RunExtent& extent : layout.extents_) {
    if (!kept.empty() && extent.vcn < reached) continue;
    kept.push_back(extent);
    reached = extent.End();
  }
  layout.extents_ = std::move(kept);
  return layout;
}

uint64_t MftLayout::FirstRepeatedPosition(uint32_t bytesPerCluster) const {
  std::map<uint64_t, uint64_t> used;  // first LCN -> end LCN of the clusters mapped so far
  for (const RunExtent& extent : extents_) {
    if (extent.sparse || extent.lcn < 0) continue;
    const uint64_t first = static_cast<uint64_t>(extent.lcn);
    const uint64_t end = first + extent.length;
    auto after = used.upper_bound(first);
    bool repeated = after != used.end() && after->first < end;
    if (after != used.begin() && std::prev(after)->second > first) repeated = true;
    if (repeated || end < first) {
      uint64_t position = 0;
      return Multiply(extent.vcn, bytesPerCluster, &position) ? position : 0;
    }
    used.emplace(first, end);
  }
  return kNoLimit;
}

std::vector<ByteRange> MftLayout::VolumeRanges(uint64_t end, uint32_t bytesPerCluster) const {
  std::vector<ByteRange> ranges;
  for (const RunExtent& extent : extents_) {
    if (extent.sparse || extent.lcn < 0) continue;
    uint64_t vcnStart = 0;
    uint64_t vcnEnd = 0;
    uint64_t volumeStart = 0;
    if (!Multiply(extent.vcn, bytesPerCluster, &vcnStart) ||
        !Multiply(extent.End(), bytesPerCluster, &vcnEnd) ||
        !Multiply(static_cast<uint64_t>(extent.lcn), bytesPerCluster, &volumeStart))
      continue;
    if (vcnStart >= end) continue;
    const uint64_t length = std::min(vcnEnd, end) - vcnStart;
    if (volumeStart + length < volumeStart) continue;
    ranges.push_back({volumeStart, volumeStart + length});
  }
  std::sort(ranges.begin(), ranges.end(),
            [](const ByteRange& a, const ByteRange& b) { return a.start < b.start; });
  std::vector<ByteRange> merged;
  for (const ByteRange& range : ranges) {
    if (!merged.empty() && range.start <= merged.back().end) {
      merged.back().end = std::max(merged.back().end, range.end);
    } else {
      merged.push_back(range);
    }
  }
  return merged;
}

uint64_t CoveredRanges::SkipFrom(uint64_t offset) const {
  auto after = std::upper_bound(ranges_.begin(), ranges_.end(), offset,
                                [](uint64_t value, const ByteRange& r) { return value < r.start; });
  if (after == ranges_.begin()) return offset;
  const ByteRange& candidate = *(after - 1);
  return offset < candidate.end ? candidate.end : offset;
}

}  // namespace orvande
