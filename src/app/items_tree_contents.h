#pragma once
// What the left column's items tree lists: each physical disk of the device list (a whole-disk
// image included) with its partitions, those of its table first, then the lost ones. A partition
// that the device drop-down lists carries that entry's node, so that choosing it in the tree
// selects it there. Call from the user-interface thread, while no search or load runs.
#include <memory>
#include <string>
#include <vector>

namespace orvande {

class DeviceList;
class DeviceNode;
class PartitionNode;

struct ItemsTreePartition {
  std::string text;
  std::shared_ptr<DeviceNode> node;
  int row = -1;  // its row in the device list; DeviceList::kNoRow when the list has no entry
};

struct ItemsTreeDisk {
  std::string text;
  std::shared_ptr<DeviceNode> node;
  std::vector<ItemsTreePartition> partitions;
};

std::vector<ItemsTreeDisk> ItemsTreeContents(const DeviceList& list);

// The row of the list's entry for the same partition (same disk, start and length), or kNoRow.
int DeviceListRowOfPartition(const DeviceList& list, const PartitionNode& partition);

}  // namespace orvande
