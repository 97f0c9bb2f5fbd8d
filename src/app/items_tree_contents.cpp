#include "app/items_tree_contents.h"

#include "app/device_list.h"
#include "app/disk_partition_list.h"
#include "disk/partition_node.h"
#include "disk/physical_disk_node.h"

namespace orvande {
namespace {

bool SamePartition(const PartitionNode& a, const PartitionNode& b) {
  return a.GetDiskNumber() == b.GetDiskNumber() && a.GetFirstSector() == b.GetFirstSector() &&
         a.GetSectorCount() == b.GetSectorCount();
}

}  // namespace

int DeviceListRowOfPartition(const DeviceList& list, const PartitionNode& partition) {
  const std::vector<DeviceListRow> rows = list.Rows();
  for (size_t row = 0; row < rows.size(); ++row) {
    const DeviceListEntry* entry = list.EntryAt(static_cast<int>(row));
    if (entry == nullptr || !entry->node || entry->node->GetKind() != kNodePartition) continue;
    if (SamePartition(static_cast<const PartitionNode&>(*entry->node), partition))
      return static_cast<int>(row);
  }
  return DeviceList::kNoRow;
}

std::vector<ItemsTreeDisk> ItemsTreeContents(const DeviceList& list) {
  std::vector<ItemsTreeDisk> disks;
  for (const FoundDisk& disk : list.PhysicalDisks()) {
    ItemsTreeDisk shown{disk.node->GetName(), disk.node, {}};
    for (const NumberedPartition& partition : ListDiskPartitions(*disk.node)) {
      const int row = DeviceListRowOfPartition(list, *partition.node);
      // The table is read afresh here; the drop-down's node for it is the one to analyse.
      std::shared_ptr<DeviceNode> node =
          row != DeviceList::kNoRow ? list.EntryAt(row)->node : partition.node;
      shown.partitions.push_back({partition.node->GetName(), std::move(node), row});
    }
    disks.push_back(std::move(shown));
  }
  return disks;
}

}  // namespace orvande
