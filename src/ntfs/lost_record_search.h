#pragma once
// The second analyzing step: file records lying loose in free clusters after the MFT (left by an
// earlier MFT, say, or beyond the part of the table a damaged walk could read). Each one found
// goes to the tree builder as a deleted record numbered after the table's records. Used by the
// analysis worker only.
#include <cstdint>
#include <vector>

#include "core/volume_analyzer.h"
#include "ntfs/mft_layout.h"

namespace orvande {

class ClusterBitmap;
class MftRecord;
class NtfsAnalyzer;
class NtfsTreeBuilder;
class OperationLog;

class LostRecordSearch {
 public:
  // At most this many bytes of consecutive free clusters are read in one request.
  static constexpr uint32_t kReadAheadBytes = 256 * 1024;

  // covered: the volume bytes the walk read as MFT records; records there are not taken again.
  LostRecordSearch(NtfsAnalyzer& analyzer, const BuildTreeContext& context,
                   NtfsTreeBuilder& builder, CoveredRanges covered, OperationLog* log);

  // Searches the clusters that `clusters` calls free. n is the next record number and
  // firstOutside the parent limit; both are updated. tolerant: a place without a record does
  // not end the search. 0, or the status that ended the search early (a tree failure).
  uint32_t Run(ClusterBitmap& clusters, bool tolerant, uint32_t* n, uint32_t* firstOutside);

 private:
  enum class Outcome { kGoOn, kEndStep };
  // Searches bytes read from volume byte offset `start`.
  Outcome Search(const uint8_t* bytes, uint64_t size, uint64_t start, uint32_t* status);
  // How many clusters from c on are free in a row, up to the read-ahead.
  uint64_t FreeRun(ClusterBitmap& clusters, uint64_t c, uint64_t clusterCount);
  bool ReadSpareTail(int64_t lcn, uint32_t spare, std::vector<uint8_t>& buffer, uint64_t* start);

  NtfsAnalyzer& analyzer_;
  const BuildTreeContext& context_;
  NtfsTreeBuilder& builder_;
  CoveredRanges covered_;
  OperationLog* log_;
  bool tolerant_ = false;
  uint32_t n_ = 0;
  uint32_t firstOutside_ = 0;
  // The search goes on here when a record reached into the next buffer.
  uint64_t resume_ = 0;
};

}  // namespace orvande
