#include "disk/physical_disk_node.h"

#include <algorithm>
#include <new>

#include "disk/whole_disk_device.h"

namespace orvande {
namespace {

bool SamePartition(const PartitionNode& a, const PartitionNode& b) {
  return a.GetPartitionFsKind() == b.GetPartitionFsKind() &&
         a.GetFirstSector() == b.GetFirstSector() && a.GetSectorCount() == b.GetSectorCount();
}

}  // namespace

PhysicalDiskNode::PhysicalDiskNode(uint32_t diskNumber, std::string displayName, DevicePorts ports)
    : diskNumber_(diskNumber), displayName_(std::move(displayName)), ports_(std::move(ports)) {}

SectorDevice* PhysicalDiskNode::CreateDevice() {
  return new (std::nothrow) WholeDiskDevice(this, ports_);
}

std::shared_ptr<PartitionNode> PhysicalDiskNode::AddPartition(const PartitionNode& partition) {
  auto lock = LockPartitions();
  bool listed = std::any_of(partitions_.begin(), partitions_.end(),
                            [&](const auto& entry) { return SamePartition(*entry, partition); });
  if (listed) return nullptr;
  partitions_.push_back(std::make_shared<PartitionNode>(partition));
  return partitions_.back();
}

void PhysicalDiskNode::ClearPartitions() {
  auto lock = LockPartitions();
  partitions_.clear();
}

std::vector<std::shared_ptr<PartitionNode>> PhysicalDiskNode::Partitions() const {
  auto lock = LockPartitions();
  return partitions_;
}

void PhysicalDiskNode::ForEachPartition(const std::function<void(PartitionNode&)>& visit) const {
  auto lock = LockPartitions();
  for (const auto& partition : partitions_) visit(*partition);
}

std::unique_lock<std::recursive_mutex> PhysicalDiskNode::LockPartitions() const {
  return std::unique_lock<std::recursive_mutex>(partitionsLock_);
}

}  // namespace orvande
