#pragma once
// How likely a deleted file's data is to come back whole, judged by how many of its clusters the
// volume's bitmap still shows as free. Used by the thread that owns the analyzer and bitmap.
#include <cstdint>
#include <span>

namespace orvande {

class ClusterBitmap;
class MftRecord;
class OperationLog;
class RunList;

// Free and used clusters counted over a run list; complete is false when the list broke off.
struct ClusterTally {
  uint64_t free = 0;
  uint64_t used = 0;
  uint64_t counted = 0;  // clusters looked up in the bitmap (sparse units need none)
  bool complete = false;
};

// Follows the runs in units of 16 clusters counted from startingVcn: clusters of a run that ends
// inside its unit count one by one; a run that reaches the unit's end counts the rest of the
// unit as 16 free clusters when the unit began sparse, cluster by cluster when the run has data,
// and not at all when it is the sparse tail of a compressed unit. The scan ends early (complete)
// once the clusters are mostly used: more than 16 free or at least 17 used, and 2 x free < used.
// A refused or broken-off list is incomplete unless the runs before the break were mostly used.
ClusterTally TallyRuns(const RunList& runs, ClusterBitmap& bitmap, OperationLog* log);
// The same over encoded runs, decoded by RunList::Decode.
ClusterTally TallyRuns(std::span<const uint8_t> runs, uint64_t startingVcn, ClusterBitmap& bitmap,
                       OperationLog* log);

// The probability code of a record already read: 4 for a record in use read through the MFT,
// else from its unnamed $DATA here and, while few clusters were counted, in its extension
// records; 3 when nothing could be judged.
uint32_t EvaluateRecordProbability(MftRecord& record, ClusterBitmap& bitmap, OperationLog* log);

}  // namespace orvande
