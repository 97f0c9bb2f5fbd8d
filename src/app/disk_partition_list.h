#pragma once
// The partitions of one disk as the front ends number them: first those of its partition table,
// then the lost partitions its node lists, each numbered from 1 in that order. Call from one
// thread at a time, while no search or load runs on the disk.
#include <cstdint>
#include <memory>
#include <vector>

namespace orvande {

class PartitionNode;
class PhysicalDiskNode;

enum class PartitionOrigin { kTable, kFound };

struct NumberedPartition {
  uint32_t number = 0;
  PartitionOrigin origin = PartitionOrigin::kTable;
  std::shared_ptr<PartitionNode> node;
};

// "table" or "found".
const char* PartitionOriginName(PartitionOrigin origin);

// The table's partitions (read now), then the disk's lost partitions.
std::vector<NumberedPartition> ListDiskPartitions(PhysicalDiskNode& disk);

// The same numbering over a table already read.
std::vector<NumberedPartition> NumberPartitions(
    const std::vector<std::shared_ptr<PartitionNode>>& table,
    const std::vector<std::shared_ptr<PartitionNode>>& found);

}  // namespace orvande
