#pragma once
// Reads a partition of a physical disk: `first` counts the partition's sectors from its start,
// `count` the caller's units. Unreadable sectors are filled one by one when asked. Reads from one
// thread at a time.
#include <cstdint>

#include "disk/raw_disk.h"
#include "disk/sector_device.h"

namespace orvande {

class PartitionNode;

class PartitionDevice final : public SectorDevice {
 public:
  PartitionDevice(PartitionNode* node, DevicePorts ports = SystemDevicePorts());
  ~PartitionDevice() override;

  bool Open(bool quiet, Prompter* prompter) override;
  void Close() override;
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool fillBadSectors) override;
  DeviceNode* GetNode() override;
  const uint8_t* GetStoredBootSector() override;
  // The partition's sectors as its node records them.
  uint64_t SizeInBytes() override;

  RawDisk& Disk() { return disk_; }

 private:
  PartitionNode* node_;
  RawDisk disk_;
};

}  // namespace orvande
