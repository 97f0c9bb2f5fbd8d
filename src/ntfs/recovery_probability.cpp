#include "ntfs/recovery_probability.h"

#include <algorithm>
#include <exception>
#include <new>
#include <optional>

#include "core/file_record.h"
#include "ntfs/attribute_list.h"
#include "ntfs/cluster_bitmap.h"
#include "ntfs/mft_record.h"
#include "ntfs/ntfs_status.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;
constexpr uint16_t kRecordInUse = 0x0001;
constexpr uint64_t kUnit = 16;
// Counts this large are enough to judge without the extension records.
constexpr uint64_t kEnoughClusters = 51;

bool MostlyUsed(const ClusterTally& tally) {
  return (tally.free > 16 || tally.used >= 17) && 2 * tally.free < tally.used;
}

// Counts clusters [lcn, lcn + count) one by one as the bitmap says; a cluster before the volume
// start is not free.
void CountClusters(int64_t lcn, uint64_t count, ClusterBitmap& bitmap, OperationLog* log,
                   ClusterTally& tally) {
  tally.counted += count;
  uint64_t free = 0;
  if (lcn >= 0) free = bitmap.CountFree(static_cast<uint64_t>(lcn), count, log);
  tally.free += free;
  tally.used += count - free;
}

class RunTally {
 public:
  RunTally(uint64_t startingVcn, ClusterBitmap& bitmap, OperationLog* log)
      : start_(startingVcn), vcn_(startingVcn), bitmap_(bitmap), log_(log) {}

  // One run of `length` clusters from `lcn` (for a sparse run, the LCN it leaves unchanged).
  void Add(int64_t lcn, uint64_t length, bool sparse) {
    const uint64_t runEnd = vcn_ + length;
    while (vcn_ < runEnd) {
      const uint64_t unitStart = start_ + (vcn_ - start_) / kUnit * kUnit;
      const uint64_t unitEnd = unitStart + kUnit;
      if (vcn_ == unitStart) unitBeganSparse_ = sparse;
      const int64_t here = lcn + static_cast<int64_t>(vcn_ - (runEnd - length));
      if (runEnd < unitEnd) {
        CountClusters(here, runEnd - vcn_, bitmap_, log_, tally_);
        vcn_ = runEnd;
        break;
      }
      // The run consumes the rest of this unit, and possibly whole units after it.
      const uint64_t wholeUnits = (runEnd - unitEnd) / kUnit;
      const uint64_t through = unitEnd + wholeUnits * kUnit;
      if (unitBeganSparse_) {
        // The first unit counts 16 when it began sparse; the whole units after it begin with
        // this run.
        tally_.free += kUnit;
        if (sparse) {
          tally_.free += wholeUnits * kUnit;
        } else {
          CountClusters(here + static_cast<int64_t>(unitEnd - vcn_), wholeUnits * kUnit, bitmap_,
                        log_, tally_);
        }
      } else if (!sparse) {
        CountClusters(here, through - vcn_, bitmap_, log_, tally_);
      } else {
        // The sparse tail of a compressed unit counts nothing; following whole units began
        // sparse.
        tally_.free += wholeUnits * kUnit;
      }
      if (wholeUnits > 0) unitBeganSparse_ = sparse;
      vcn_ = through;
    }
  }

  const ClusterTally& Tally() const { return tally_; }
  ClusterTally& Tally() { return tally_; }

 private:
  uint64_t start_;
  uint64_t vcn_;
  bool unitBeganSparse_ = false;
  ClusterBitmap& bitmap_;
  OperationLog* log_;
  ClusterTally tally_;
};

// The unnamed $DATA of one record: 0 when resident, the judgement of its runs otherwise, or 3.
// tally receives the counts.
uint32_t JudgeOwnData(MftRecord& record, ClusterBitmap& bitmap, OperationLog* log,
                      ClusterTally* counted) {
  try {
    std::optional<Attribute> data = record.FindAttribute(kAttrData, AttributeName::None());
    if (!data || !data->HeaderFits(attribute_header::kWalkHeaderSize)) return kProbabilityUnknown;
    if (!data->NonResident()) return kProbabilityGood;
    if (!data->HeaderFits(attribute_header::kNonResidentHeaderSize) || data->RunListOffset() == 0)
      return kProbabilityUnknown;
    const ClusterTally tally = TallyRuns(record.Runs(*data, log), bitmap, log);
    *counted = tally;
    if (!tally.complete) return kProbabilityUnknown;
    if (tally.used == 0) return kProbabilityGood;
    return 2 * tally.free >= tally.used ? kProbabilityAverage : kProbabilityPoor;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    if (log != nullptr) log->Add(OperationLog::kError, ntfs_codes::kProbabilityRunScan);
    return kProbabilityUnknown;
  }
}

}  // namespace

ClusterTally TallyRuns(const RunList& runs, ClusterBitmap& bitmap, OperationLog* log) {
  RunTally tally(runs.StartingVcn(), bitmap, log);
  bool brokeOff = false;
  for (const RunExtent& extent : runs.Extents()) {
    if (MostlyUsed(tally.Tally())) break;
    tally.Add(extent.lcn, extent.length, extent.sparse);
    // A file can't hold more clusters than its volume: such runs are damaged.
    if (tally.Tally().counted > bitmap.ClusterCount()) {
      brokeOff = true;
      break;
    }
  }
  tally.Tally().complete = !brokeOff && (MostlyUsed(tally.Tally()) || runs.Complete());
  return tally.Tally();
}

ClusterTally TallyRuns(std::span<const uint8_t> runs, uint64_t startingVcn, ClusterBitmap& bitmap,
                       OperationLog* log) {
  return TallyRuns(RunList::Decode(runs, startingVcn), bitmap, log);
}

uint32_t EvaluateRecordProbability(MftRecord& record, ClusterBitmap& bitmap, OperationLog* log) {
  const bool readThroughMft = record.Location().Kind() == kKindMft;
  if ((record.Flags() & kRecordInUse) != 0 && readThroughMft) return kProbabilityNotDeleted;
  ClusterTally counted;
  uint32_t result = JudgeOwnData(record, bitmap, log, &counted);
  if ((result == kProbabilityAverage || result == kProbabilityPoor) &&
      counted.free + counted.used >= kEnoughClusters)
    return result;
  if (!readThroughMft || !record.HasUsableAttributeList()) return result;
  try {
    AttributeListWalk walk(record.AttributeListBytes());
    while (std::optional<AttributeListEntry> entry = walk.Next()) {
      if (entry->Type() != kAttrData || entry->NameLength() != 0) continue;
      std::optional<uint64_t> position = entry->RecordPosition(record.RecordSize());
      if (!position) return result;
      if (*position == record.Location().Position()) continue;
      MftRecord* extension = record.FindExtension(*position);
      if (extension == nullptr) return result;
      // Extension records carry no list of their own, so this goes one level deep.
      const uint32_t child = EvaluateRecordProbability(*extension, bitmap, log);
      if (child == kProbabilityUnknown || child == kProbabilityNotDeleted ||
          child == kProbabilityPoor)
        return child;
      if (result == kProbabilityGood && child == kProbabilityAverage) result = kProbabilityAverage;
      if (result == kProbabilityUnknown) result = child;
    }
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    if (log != nullptr) log->Add(OperationLog::kError, ntfs_codes::kProbabilityListWalk);
  }
  return result;
}

}  // namespace orvande
