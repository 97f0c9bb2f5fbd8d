#include "fat/fat_chain_guard.h"

#include <algorithm>
#include <new>

namespace orvande {

bool FatChainGuard::FirstVisit(uint32_t cluster) {
  if (cluster > maxCluster_) return false;
  if (bits_.empty()) {
    if (std::find(list_.begin(), list_.end(), cluster) != list_.end()) return false;
    if (list_.size() < kListLimit) {
      list_.push_back(cluster);
      return true;
    }
    try {
      bits_.assign(static_cast<size_t>(maxCluster_ / 64) + 1, 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
    for (uint32_t seen : list_) bits_[seen / 64] |= uint64_t{1} << (seen % 64);
    list_.clear();
  }
  uint64_t& word = bits_[cluster / 64];
  const uint64_t bit = uint64_t{1} << (cluster % 64);
  if ((word & bit) != 0) return false;
  word |= bit;
  return true;
}

}  // namespace orvande
