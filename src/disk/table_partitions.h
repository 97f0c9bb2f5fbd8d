#pragma once
// The partitions a disk's own partition table lists (MBR with its logical partitions, or GPT),
// as partition nodes that read through the disk's ports. Safe from any thread; the disk node is
// only read.
#include <memory>
#include <vector>

#include "disk/partition_node.h"
#include "disk/physical_disk_node.h"

namespace orvande {

// In table order, extended containers left out; each node holds the boot sector read from the
// partition's first sector (zeros when that sector cannot be read) and the kind that boot sector
// names. Empty when the disk cannot be opened or holds no partition table.
std::vector<std::shared_ptr<PartitionNode>> ReadPartitionTable(PhysicalDiskNode& disk);

}  // namespace orvande
