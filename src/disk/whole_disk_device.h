#pragma once
// Reads a whole physical disk in its own sectors (unitShift is not used), filling unreadable
// sectors one by one when asked. Reads from one thread at a time.
#include <cstdint>

#include "disk/raw_disk.h"
#include "disk/sector_device.h"

namespace orvande {

class PhysicalDiskNode;

class WholeDiskDevice final : public SectorDevice {
 public:
  WholeDiskDevice(PhysicalDiskNode* node, DevicePorts ports = SystemDevicePorts());
  ~WholeDiskDevice() override;

  bool Open(bool quiet, Prompter* prompter) override;
  void Close() override;
  // `first` and `count` and the value returned are in the disk's own sectors.
  uint32_t ReadSectors(uint64_t first, uint8_t* buffer, uint32_t bufferSize, uint32_t* result,
                       uint32_t count, int unitShift, bool fillBadSectors) override;
  DeviceNode* GetNode() override;
  const uint8_t* GetStoredBootSector() override { return nullptr; }

  RawDisk& Disk() { return disk_; }

 private:
  PhysicalDiskNode* node_;
  RawDisk disk_;
};

}  // namespace orvande
