#pragma once
// A whole physical disk: offered to the lost partition search, read sector by sector, with the
// list of partitions found on it. Safe from any thread: the list is guarded by its own lock.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "disk/device_node.h"
#include "disk/device_ports.h"
#include "disk/partition_node.h"

namespace orvande {

class PhysicalDiskNode : public DeviceNode {
 public:
  PhysicalDiskNode(uint32_t diskNumber, std::string displayName,
                   DevicePorts ports = SystemDevicePorts());

  int GetKind() const override { return kNodePhysicalDisk; }
  int GetFsKind() const override { return kFsNone; }
  std::string GetName() const override { return displayName_; }
  int IsRemovable() const override { return -1; }
  char GetDriveLetter() const override { return '0'; }
  SectorDevice* CreateDevice() override;

  uint32_t GetDiskNumber() const { return diskNumber_; }
  const DevicePorts& GetPorts() const { return ports_; }

  // Stores a copy of the node and returns it; null when an entry with the same file-system
  // kind, first sector and sector count is listed already.
  PartitionNode* AddPartition(const PartitionNode& node);
  // The listed partitions in the order they were added.
  std::vector<std::shared_ptr<PartitionNode>> Partitions() const;
  // Held across a whole save or load; the list operations above take it again (recursive), so
  // a search adding from its worker waits meanwhile.
  std::unique_lock<std::recursive_mutex> LockPartitions() const;

 private:
  uint32_t diskNumber_;
  std::string displayName_;
  DevicePorts ports_;
  std::vector<std::shared_ptr<PartitionNode>> partitions_;
  mutable std::recursive_mutex partitionsLock_;
};

}  // namespace orvande
