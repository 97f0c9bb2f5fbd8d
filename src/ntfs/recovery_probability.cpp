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
#include "support/le_reader.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

constexpr uint32_t kKindMft = 1;
constexpr uint16_t kRecordInUse = 0x0001;
constexpr uint64_t kUnit = 16;
constexpr uint32_t kMaximumFieldSize = 4;
// Counts this large are enough to judge without the extension records.
constexpr uint64_t kEnoughClusters = 51;

bool MostlyUsed(const ClusterTally& tally) {
  return (tally.free > 16 || tally.used >= 17) && 2 * tally.free < tally.used;
}

int64_t SignedField(const LeReader& reader, size_t offset, uint32_t size) {
  const uint64_t raw = reader.Unsigned(offset, size);
  const uint64_t sign = uint64_t{1} << (size * 8 - 1);
  return static_cast<int64_t>((raw ^ sign) - sign);
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
    // The runs lie inside the attribute.
    const std::span<const uint8_t> bytes = record.Bytes();
    const uint64_t start = uint64_t{data->Offset()} + data->RunListOffset();
    const uint64_t end =
        std::min<uint64_t>(uint64_t{data->Offset()} + data->Length(), bytes.size());
    if (start > end) return kProbabilityUnknown;
    const ClusterTally tally =
        TallyRuns(bytes.subspan(start, end - start), data->StartingVcn(), bitmap, log);
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

ClusterTally TallyRuns(std::span<const uint8_t> runs, uint64_t startingVcn, ClusterBitmap& bitmap,
                       OperationLog* log) {
  LeReader reader(runs);
  RunTally tally(startingVcn, bitmap, log);
  int64_t lcn = 0;
  size_t at = 0;
  // Every run takes at least its header byte, so the walk ends within runs.size() steps.
  while (true) {
    if (MostlyUsed(tally.Tally())) {
      tally.Tally().complete = true;
      break;
    }
    if (!reader.Fits(at, 1)) break;
    const uint8_t header = reader.U8(at);
    if (header == 0) {
      tally.Tally().complete = true;
      break;
    }
    const uint32_t lengthSize = header & 0x0F;
    const uint32_t offsetSize = header >> 4;
    if (lengthSize > kMaximumFieldSize || offsetSize > kMaximumFieldSize ||
        !reader.Fits(at + 1, size_t{lengthSize} + offsetSize))
      break;
    const uint64_t length = lengthSize == 0 ? 0 : reader.Unsigned(at + 1, lengthSize);
    const bool sparse = offsetSize == 0;
    if (!sparse) lcn += SignedField(reader, at + 1 + lengthSize, offsetSize);
    tally.Add(lcn, length, sparse);
    // A file can't hold more clusters than its volume: such runs are damaged.
    if (tally.Tally().counted > bitmap.ClusterCount()) break;
    at += 1 + lengthSize + offsetSize;
  }
  return tally.Tally();
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
