#pragma once
// A whole physical disk: offered to the lost partition search, read sector by sector, and the
// keeper of the partitions found on it. Safe from any thread: the list has its own lock.
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

  // Appends a copy of the node and returns it, or null when one of the same kind, first sector
  // and count is listed already.
  std::shared_ptr<PartitionNode> AddPartition(const PartitionNode& node);
  void ClearPartitions();
  // The listed partitions in the order they were added.
  std::vector<std::shared_ptr<PartitionNode>> Partitions() const;

 private:
  uint32_t diskNumber_;
  std::string displayName_;
  DevicePorts ports_;
  mutable std::mutex partitionsLock_;
  std::vector<std::shared_ptr<PartitionNode>> partitions_;
};

}  // namespace orvande
