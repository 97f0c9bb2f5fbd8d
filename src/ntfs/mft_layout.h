#pragma once
// Where the MFT's unnamed $DATA lies on the volume: its extents gathered from the table record
// and the extension records its attribute list names. The walk uses it to stop before clusters a
// damaged run list maps twice and to step over unused stretches quickly; the search for lost
// records uses it to leave alone what the walk has read. A value; not thread-safe to change.
#include <cstdint>
#include <vector>

#include "ntfs/run_list.h"

namespace orvande {

class MftRecord;

struct ByteRange {
  uint64_t start = 0;
  uint64_t end = 0;  // exclusive
};

class MftLayout {
 public:
  static constexpr uint64_t kNoLimit = ~uint64_t{0};

  // The extents of the table record's unnamed $DATA; empty when it is resident or missing.
  static MftLayout Of(const MftRecord& table);

  const std::vector<RunExtent>& Extents() const { return extents_; }
  // The first MFT byte position whose cluster an earlier extent already maps (a run list that
  // points back into itself would make the walk read the same records again and again), or
  // kNoLimit.
  uint64_t FirstRepeatedPosition(uint32_t bytesPerCluster) const;
  // The volume byte ranges that hold the MFT's bytes [0, end), sorted and merged.
  std::vector<ByteRange> VolumeRanges(uint64_t end, uint32_t bytesPerCluster) const;

 private:
  void AddRuns(const MftRecord& record);
  std::vector<RunExtent> extents_;  // sorted by VCN, none overlapping another in VCNs
};

// Sorted, merged byte ranges with a lookup. A value; safe to read from several threads.
class CoveredRanges {
 public:
  CoveredRanges() = default;
  explicit CoveredRanges(std::vector<ByteRange> sorted) : ranges_(std::move(sorted)) {}
  // The end of the range holding offset, or offset itself when none holds it.
  uint64_t SkipFrom(uint64_t offset) const;
  bool Empty() const { return ranges_.empty(); }

 private:
  std::vector<ByteRange> ranges_;
};

}  // namespace orvande
