#include "disk/partition_node.h"

#include <algorithm>
#include <new>

#include "disk/partition_device.h"

namespace orvande {

PartitionNode::PartitionNode(int32_t diskNumber, std::string displayText, DevicePorts ports)
    : diskNumber_(diskNumber), displayText_(std::move(displayText)), ports_(std::move(ports)) {}

SectorDevice* PartitionNode::CreateDevice() {
  return new (std::nothrow) PartitionDevice(this, ports_);
}

bool PartitionNode::InitPartition(uint32_t bytesPerSector, uint32_t fsKind, uint64_t firstSector,
                                  uint64_t sectorCount, const uint8_t* bootSector) {
  bootSector_.fill(0);
  if (bootSector == nullptr) return false;
  bytesPerSector_ = bytesPerSector;
  fsKind_ = fsKind;
  firstSector_ = firstSector;
  sectorCount_ = sectorCount;
  std::copy_n(bootSector, kBootSectorSize, bootSector_.begin());
  return true;
}

}  // namespace orvande
