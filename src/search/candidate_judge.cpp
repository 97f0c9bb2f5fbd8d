#include "search/candidate_judge.h"

#include "core/analyzer_factory.h"
#include "disk/partition_node.h"
#include "disk/physical_disk_node.h"

namespace orvande {
namespace {

bool FatWidthChosen(int width, uint32_t options) {
  switch (width) {
    case 32: return (options & SearchFat32) != 0;
    case 16: return (options & SearchFat16) != 0;
    case 12: return (options & SearchFat12) != 0;
    default: return true;  // no cluster count: not filtered
  }
}

}  // namespace

CandidateJudge::CandidateJudge(PhysicalDiskNode& disk, uint32_t bytesPerSector,
                               const StopFlag* cancel, SearchProgress& progress,
                               const SearchOptionsSource& options)
    : disk_(disk),
      bytesPerSector_(bytesPerSector),
      cancel_(cancel),
      progress_(progress),
      options_(options) {}

void CandidateJudge::Judge(const SearchCandidate& candidate) {
  if (candidate.fsKind == kFsNtfs && (Options() & SearchNtfs) == 0) return;
  if (Accept(candidate, true) && candidate.fsKind == kFsNtfs)
    lastNtfsStart_ = candidate.firstSector;
}

void CandidateJudge::JudgeExtra(const SearchCandidate& candidate) {
  if ((Options() & SearchNtfs) == 0) return;
  Accept(candidate, false);
}

bool CandidateJudge::Accept(const SearchCandidate& candidate, bool filterFatWidth) {
  PartitionNode node(static_cast<int32_t>(disk_.GetDiskNumber()), std::string(), disk_.GetPorts());
  if (!node.InitPartition(bytesPerSector_, static_cast<uint32_t>(candidate.fsKind),
                          candidate.firstSector, candidate.sectorCount,
                          candidate.bootSector.data()))
    return false;
  if (filterFatWidth && candidate.fsKind == kFsFat &&
      !FatWidthChosen(node.GetFatWidth(), Options()))
    return false;
  if (CreateAnalyzer(&node, true, nullptr, nullptr) == nullptr) return false;
  // The analyzer is gone again: the node is only asked whether it is a volume.
  std::shared_ptr<PartitionNode> listed = disk_.AddPartition(node);
  if (listed != nullptr && !StopRequested(cancel_)) progress_.AddPartition(listed);
  return true;
}

}  // namespace orvande
