#include "app/disk_partition_list.h"

#include "disk/physical_disk_node.h"
#include "disk/table_partitions.h"

namespace orvande {

const char* PartitionOriginName(PartitionOrigin origin) {
  return origin == PartitionOrigin::kTable ? "table" : "found";
}

std::vector<NumberedPartition> NumberPartitions(
    const std::vector<std::shared_ptr<PartitionNode>>& table,
    const std::vector<std::shared_ptr<PartitionNode>>& found) {
  std::vector<NumberedPartition> numbered;
  numbered.reserve(table.size() + found.size());
  for (const auto& node : table)
    numbered.push_back({static_cast<uint32_t>(numbered.size() + 1), PartitionOrigin::kTable, node});
  for (const auto& node : found)
    numbered.push_back({static_cast<uint32_t>(numbered.size() + 1), PartitionOrigin::kFound, node});
  return numbered;
}

std::vector<NumberedPartition> ListDiskPartitions(PhysicalDiskNode& disk) {
  return NumberPartitions(ReadPartitionTable(disk), disk.Partitions());
}

}  // namespace orvande
