#pragma once
// Remembers the clusters one cluster chain has passed, so that a chain that loops back on itself
// ends instead of running (and adding the same entries) forever. Short chains are kept in a
// small list; a long one switches to a bitmap over the volume's clusters. A value; one thread.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvande {

class FatChainGuard {
 public:
  // Clusters above maxCluster are refused (they lie beyond the data area).
  explicit FatChainGuard(uint32_t maxCluster) : maxCluster_(maxCluster) {}

  // True the first time the cluster is passed; false when it was passed before or is out of
  // range (or memory for the bitmap ran out).
  bool FirstVisit(uint32_t cluster);

 private:
  static constexpr size_t kListLimit = 64;

  uint32_t maxCluster_;
  std::vector<uint32_t> list_;
  std::vector<uint64_t> bits_;
};

}  // namespace orvande
