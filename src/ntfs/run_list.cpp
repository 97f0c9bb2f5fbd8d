#include "ntfs/run_list.h"

#include <algorithm>

#include "support/le_reader.h"

namespace orvande {
namespace {

constexpr uint32_t kMaximumFieldSize = 8;
constexpr uint64_t kLargestVcn = static_cast<uint64_t>(INT64_MAX);

// 1 to 8 bytes, sign-extended.
int64_t SignedField(const LeReader& reader, size_t offset, uint32_t size) {
  const uint64_t raw = reader.Unsigned(offset, size);
  const uint32_t bits = size * 8;
  const uint64_t sign = uint64_t{1} << (bits - 1);
  return static_cast<int64_t>((raw ^ sign) - sign);
}

}  // namespace

const char* RunListFaultText(RunListFault fault) {
  switch (fault) {
    case RunListFault::kNone:
      return "no fault";
    case RunListFault::kLcnBelowMinusOne:
      return "an LCN below -1";
    case RunListFault::kOverlap:
      return "runs that overlap";
    case RunListFault::kLcnOverflow:
      return "an LCN past the largest cluster number";
    case RunListFault::kShortOfLastVcn:
      return "runs that end before the highest VCN";
  }
  return "unknown fault";
}

RunList RunList::Decode(std::span<const uint8_t> bytes, uint64_t startingVcn, uint64_t lastVcn) {
  RunList list;
  list.startingVcn_ = startingVcn;
  // A refused list keeps no runs, so that nothing is read through it.
  auto refuse = [&list](RunListFault fault) {
    list.extents_.clear();
    list.complete_ = false;
    list.fault_ = fault;
    return list;
  };
  if (startingVcn > kLargestVcn) return refuse(RunListFault::kOverlap);
  LeReader reader(bytes);
  size_t at = 0;
  uint64_t vcn = startingVcn;
  int64_t lcn = 0;
  // Every run takes at least its header byte, so the walk ends within bytes.size() steps.
  while (reader.Fits(at, 1)) {
    const uint8_t header = reader.U8(at);
    if (header == 0) {
      list.complete_ = true;
      break;
    }
    const uint32_t lengthSize = header & 0x0F;
    const uint32_t offsetSize = header >> 4;
    if (lengthSize > kMaximumFieldSize || offsetSize > kMaximumFieldSize) return list;
    if (!reader.Fits(at + 1, size_t{lengthSize} + offsetSize)) return list;
    const uint64_t length = lengthSize == 0 ? 0 : reader.Unsigned(at + 1, lengthSize);
    const bool sparse = offsetSize == 0;
    if (!sparse &&
        __builtin_add_overflow(lcn, SignedField(reader, at + 1 + lengthSize, offsetSize), &lcn))
      return refuse(RunListFault::kLcnOverflow);
    if (!sparse && lcn < -1) return refuse(RunListFault::kLcnBelowMinusOne);
    // A length the signed VCNs can't hold runs back over the runs before it.
    if (length > kLargestVcn - vcn) return refuse(RunListFault::kOverlap);
    int64_t lastLcn = 0;
    if (__builtin_add_overflow(lcn, static_cast<int64_t>(length), &lastLcn))
      return refuse(RunListFault::kLcnOverflow);
    if (length > 0) {
      list.extents_.push_back(RunExtent{vcn, length, lcn, sparse});
      vcn += length;
    }
    at += 1 + lengthSize + offsetSize;
  }
  if (list.complete_ && lastVcn != 0 && list.EndVcn() <= lastVcn)
    return refuse(RunListFault::kShortOfLastVcn);
  return list;
}

size_t RunList::Find(uint64_t vcn) const {
  auto after = std::upper_bound(extents_.begin(), extents_.end(), vcn,
                                [](uint64_t value, const RunExtent& e) { return value < e.vcn; });
  if (after == extents_.begin()) return kNone;
  const RunExtent& candidate = *(after - 1);
  if (vcn >= candidate.End()) return kNone;
  return static_cast<size_t>(after - extents_.begin()) - 1;
}

bool RunList::Append(const RunList& next) {
  if (Refused() || next.Refused() || next.StartingVcn() != EndVcn()) return false;
  extents_.insert(extents_.end(), next.extents_.begin(), next.extents_.end());
  complete_ = next.complete_;
  return true;
}

namespace {

void Collect(const RunExtent& extent, uint64_t from, uint64_t to, VcnMapping* out) {
  for (uint64_t v = from; v < to && out->unitLcnCount < kClustersPerUnit; ++v)
    out->unitLcns[out->unitLcnCount++] = extent.lcn + static_cast<int64_t>(v - extent.vcn);
}

// The unit rules of compressed attributes, applied to the unit [unitStart, unitStart + 16).
void MapInUnit(const RunList& runs, uint64_t unitStart, uint64_t vcn, bool collectUnit,
               VcnMapping* out) {
  const uint64_t unitEnd = unitStart + kClustersPerUnit;
  const auto& extents = runs.Extents();
  const size_t first = runs.Find(unitStart);
  if (first == RunList::kNone) return;
  const bool beganSparse = extents[first].sparse;
  for (size_t i = first; i < extents.size(); ++i) {
    const RunExtent& extent = extents[i];
    const uint64_t pieceStart = std::max(extent.vcn, unitStart);
    if (extent.End() < unitEnd) {
      // A run ending inside its unit is read as data, even a sparse one.
      if (vcn >= pieceStart && vcn < extent.End())
        out->lcn = extent.lcn + static_cast<int64_t>(vcn - extent.vcn);
      if (collectUnit) Collect(extent, pieceStart, extent.End(), out);
      continue;
    }
    if (beganSparse) {
      if (vcn >= pieceStart) out->sparse = true;
    } else if (!extent.sparse) {
      if (vcn >= pieceStart) out->lcn = extent.lcn + static_cast<int64_t>(vcn - extent.vcn);
      if (collectUnit) Collect(extent, pieceStart, unitEnd, out);
    } else {
      out->compressed = true;
    }
    return;
  }
}

}  // namespace

bool MapVcnInRuns(const RunList& runs, uint64_t lastVcn, bool compressed, uint64_t vcn,
                  bool collectUnit, VcnMapping* out) {
  *out = VcnMapping{};
  const uint64_t start = runs.StartingVcn();
  if (vcn < start) {
    out->unmapped = start - vcn;
    return false;
  }
  if (lastVcn != 0 && vcn > lastVcn) {
    out->unmapped = kUnboundedRun;
    return false;
  }
  const uint64_t unitIndex = (vcn - start) / kClustersPerUnit;
  const uint64_t unitStart = start + unitIndex * kClustersPerUnit;
  const uint64_t unitEnd = unitStart + kClustersPerUnit;
  uint64_t limit = lastVcn != 0 ? lastVcn - vcn + 1 : kUnboundedRun;
  if (!runs.Complete()) {
    // Runs are followed unit by unit: a target counts as mapped once the walk has reached the
    // start of the next unit, so a list that breaks off before that maps nothing there.
    if (runs.EndVcn() <= unitEnd) {
      out->unmapped = kUnboundedRun;
      return false;
    }
    const uint64_t validUnits = (runs.EndVcn() - 1 - start) / kClustersPerUnit;
    limit = std::min(limit, start + validUnits * kClustersPerUnit - vcn);
  }
  out->indexInUnit = static_cast<uint32_t>(vcn - unitStart);
  if (compressed) {
    MapInUnit(runs, unitStart, vcn, collectUnit, out);
    return true;
  }
  const size_t index = runs.Find(vcn);
  if (index == RunList::kNone) return true;
  const RunExtent& extent = runs.Extents()[index];
  if (extent.sparse) {
    out->sparse = true;
  } else {
    out->lcn = extent.lcn + static_cast<int64_t>(vcn - extent.vcn);
  }
  out->alike = std::min(extent.End() - vcn, limit);
  return true;
}

}  // namespace orvande
