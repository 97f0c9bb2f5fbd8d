#pragma once
// Which live chain holds a cluster: made in one pass over the allocation table, it keeps each
// chain as its stretches of consecutive clusters, so that its size follows the volume's
// fragmentation, not its cluster count. A chain starts at a used cluster that no entry points to
// (a live file's or folder's first cluster, or a lost chain's); clusters of a pure loop belong
// to no chain. Used by one thread.
#include <cstdint>
#include <vector>

namespace orvande {

class FatTable;

class LiveChainIndex {
 public:
  // Clusters 2 to clusterEnd - 1 are data clusters.
  LiveChainIndex(FatTable& table, uint32_t clusterEnd);

  // The first cluster of the chain that holds the cluster; 0 when none does.
  uint32_t ChainStartOf(uint32_t cluster) const;

 private:
  struct Stretch {
    uint32_t first;
    uint32_t last;
    uint32_t chainStart;
  };
  std::vector<Stretch> stretches_;  // sorted by first cluster, not overlapping
};

}  // namespace orvande
