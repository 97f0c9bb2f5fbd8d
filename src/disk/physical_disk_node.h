#pragma once
// A whole physical disk (or whole-disk image file): offered to the lost partition search, read
// sector by sector, and keeping the partitions found on it. Safe from any thread: the list of
// found partitions has its own lock, everything else is fixed at construction.
#include <cstdint>
#include <functional>
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
  PhysicalDiskNode(const PhysicalDiskNode&) = delete;
  PhysicalDiskNode& operator=(const PhysicalDiskNode&) = delete;

  int GetKind() const override { return kNodePhysicalDisk; }
  int GetFsKind() const override { return kFsNone; }
  std::string GetName() const override { return displayName_; }
  int IsRemovable() const override { return -1; }
  char GetDriveLetter() const override { return '0'; }
  SectorDevice* CreateDevice() override;

  uint32_t GetDiskNumber() const { return diskNumber_; }
  const DevicePorts& GetPorts() const { return ports_; }

  // Lists a copy of `partition` and returns it, or returns null when a partition of the same
  // kind, first sector and sector count is listed already.
  std::shared_ptr<PartitionNode> AddPartition(const PartitionNode& partition);
  void ClearPartitions();
  // The found partitions in the order they were added. The shared copies stay alive for as long
  // as the caller keeps them, even when the list is cleared meanwhile.
  std::vector<std::shared_ptr<PartitionNode>> Partitions() const;
  // Visits the found partitions in order while holding the lock, so that no add or clear
  // interleaves (a save wants one consistent list). `visit` must not call back into this node.
  void ForEachPartition(const std::function<void(PartitionNode&)>& visit) const;
  // Held across a whole save or load; the list operations above take it again (recursive), so
  // a search adding from its worker waits meanwhile.
  std::unique_lock<std::recursive_mutex> LockPartitions() const;

 private:
  uint32_t diskNumber_;
  std::vector<std::shared_ptr<PartitionNode>> partitions_;
  std::string displayName_;
  DevicePorts ports_;
  mutable std::recursive_mutex partitionsLock_;
};

}  // namespace orvande
