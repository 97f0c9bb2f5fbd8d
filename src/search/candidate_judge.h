#pragma once
// Decides whether a candidate of the lost partition search is a volume: the analyzer factory
// must accept it, quietly. Kept ones go to the disk's list and, when new, to the sink. Used by
// the one search thread.
#include <cstdint>

#include "core/stop_flag.h"
#include "search/search_candidate.h"
#include "search/search_options.h"
#include "search/search_progress.h"

namespace orvande {

class PhysicalDiskNode;

class CandidateJudge {
 public:
  static constexpr uint64_t kNoNtfsStart = UINT64_MAX;

  CandidateJudge(PhysicalDiskNode& disk, uint32_t bytesPerSector, const StopFlag* cancel,
                 SearchProgress& progress, const SearchOptionsSource& options);

  // A candidate from a trace on the disk.
  void Judge(const SearchCandidate& candidate);
  // The candidate at sector 63 made after the scan: it leaves the last NTFS start alone.
  void JudgeExtra(const SearchCandidate& candidate);

  // The first sector of the last NTFS candidate the analyzers accepted.
  uint64_t LastNtfsStart() const { return lastNtfsStart_; }

 private:
  uint32_t Options() const { return options_ ? options_() : kAllSearchOptions; }
  // True when the analyzers accept it; then it is listed (once) and shown.
  bool Accept(const SearchCandidate& candidate, bool filterFatWidth);

  PhysicalDiskNode& disk_;
  uint32_t bytesPerSector_;
  const StopFlag* cancel_;
  SearchProgress& progress_;
  const SearchOptionsSource& options_;
  uint64_t lastNtfsStart_ = kNoNtfsStart;
};

}  // namespace orvande
