#include "disk/physical_disk_node.h"

#include <new>

#include "disk/whole_disk_device.h"

namespace orvande {

PhysicalDiskNode::PhysicalDiskNode(uint32_t diskNumber, std::string displayName, DevicePorts ports)
    : diskNumber_(diskNumber), displayName_(std::move(displayName)), ports_(std::move(ports)) {}

SectorDevice* PhysicalDiskNode::CreateDevice() {
  return new (std::nothrow) WholeDiskDevice(this, ports_);
}

std::shared_ptr<PartitionNode> PhysicalDiskNode::AddPartition(const PartitionNode& node) {
  std::lock_guard<std::mutex> hold(partitionsLock_);
  for (const auto& listed : partitions_) {
    if (listed->GetPartitionFsKind() == node.GetPartitionFsKind() &&
        listed->GetFirstSector() == node.GetFirstSector() &&
        listed->GetSectorCount() == node.GetSectorCount())
      return nullptr;
  }
  partitions_.push_back(std::make_shared<PartitionNode>(node));
  return partitions_.back();
}

void PhysicalDiskNode::ClearPartitions() {
  std::lock_guard<std::mutex> hold(partitionsLock_);
  partitions_.clear();
}

std::vector<std::shared_ptr<PartitionNode>> PhysicalDiskNode::Partitions() const {
  std::lock_guard<std::mutex> hold(partitionsLock_);
  return partitions_;
}

}  // namespace orvande
