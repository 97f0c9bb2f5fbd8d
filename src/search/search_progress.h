#pragma once
// What the lost partition search tells the window that shows it. The search writes from its
// worker while the window reads on its timer: ready and position are atomic; SetTotal and
// AddPartition are called on the worker and must be safe to call from there.
#include <atomic>
#include <cstdint>
#include <memory>

namespace orvande {

class PartitionNode;

class SearchProgress {
 public:
  static constexpr uint32_t kFinished = 0xFFFFFFFF;

  virtual ~SearchProgress() = default;
  // last - first of the range, also the range of the window's progress bar.
  virtual void SetTotal(uint32_t total) = 0;
  // A partition the disk's list took: the list's own copy.
  virtual void AddPartition(const std::shared_ptr<PartitionNode>& partition) = 0;

  // Set by the window once it is shown; the search waits for it.
  std::atomic<bool> ready{false};
  // Sectors done since the start of the range; kFinished once the search has ended.
  std::atomic<uint32_t> position{0};
};

}  // namespace orvande
