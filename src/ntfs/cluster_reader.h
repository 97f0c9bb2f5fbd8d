#pragma once
// Reads clusters of an NTFS volume for the record and data readers: the check that a cluster lies
// inside the volume, the warnings of failed reads, compressed units with their decompression, and
// the caches that spare reading the same clusters again (a window of recently read clusters and
// the last compressed unit). Only clusters that came back without any failure are kept, so that
// every failure is read and reported again each time it is met. Owned by one analyzer and used by
// its thread only.
#include <cstdint>
#include <memory>
#include <vector>

#include "ntfs/lznt1.h"
#include "ntfs/run_list.h"

namespace orvande {

class NtfsAnalyzer;
class OperationLog;

class ClusterReader {
 public:
  explicit ClusterReader(NtfsAnalyzer& analyzer);
  ~ClusterReader();
  ClusterReader(const ClusterReader&) = delete;
  ClusterReader& operator=(const ClusterReader&) = delete;

  // Clusters from lcn on that lie wholly inside the volume (0 for a negative LCN).
  uint64_t ClustersInVolumeFrom(int64_t lcn) const;
  // Clusters one request may read at most.
  uint64_t MaxBatch() const;

  // One cluster into a buffer of BytesPerCluster: the bounds check, then the device read with
  // bad sectors filled; a failure status is logged. The bytes the device delivered.
  uint32_t ReadOne(int64_t lcn, uint8_t* cluster, uint32_t* status, OperationLog* log);

  // `bytes` bytes from offset `inCluster` of `count` clusters from lcn (all inside the volume,
  // count <= MaxBatch()), read in one request; a single cluster goes through the caches: the
  // window, filled with up to `ahead` clusters where the reader goes on, or the lone slot. True only when every sector came back with a success status;
  // nothing is logged (the caller then reads cluster by cluster).
  bool ReadRange(int64_t lcn, uint64_t count, uint64_t inCluster, uint64_t bytes, uint8_t* out,
                 uint64_t ahead);

  // The cluster at mapping.indexInUnit of the compressed unit whose data clusters are
  // mapping.unitLcns: the unit is read whole (failures logged, result 0) and decompressed.
  // Invalid data gives 0 with kStatusInvalidCompressedData.
  uint32_t ReadCompressed(const VcnMapping& mapping, uint8_t* cluster, uint32_t* status,
                          OperationLog* log);

 private:
  void LogReadFailure(uint32_t status, uint64_t firstSector, bool compressed, OperationLog* log);
  bool ReadClean(int64_t lcn, uint64_t count, uint8_t* out);
  // The cached bytes of a cluster, or null.
  const uint8_t* CachedCluster(int64_t lcn) const;
  // Reads the cluster into the window (with up to `ahead` clusters after it) when the reader goes
  // on from where it was, else into the lone slot; its bytes, or null when the read failed.
  const uint8_t* FillCaches(int64_t lcn, uint64_t ahead);
  // Reads the unit's clusters into data; false after logging a failure.
  bool ReadUnit(const VcnMapping& mapping, std::vector<uint8_t>& data, uint32_t* status,
                OperationLog* log);
  Lznt1Unit* CachedUnit(const VcnMapping& mapping);

  NtfsAnalyzer& analyzer_;
  std::vector<uint8_t> window_;
  int64_t windowLcn_ = -1;
  uint64_t windowCount_ = 0;
  // One cluster read on its own, away from the window; and the cluster after the last one asked
  // for alone, where a miss reads ahead again.
  std::vector<uint8_t> lone_;
  int64_t loneLcn_ = -1;
  int64_t nextLcn_ = -1;
  std::vector<uint8_t> scratch_;
  std::vector<int64_t> unitLcns_;
  std::unique_ptr<Lznt1Unit> unit_;
};

}  // namespace orvande
