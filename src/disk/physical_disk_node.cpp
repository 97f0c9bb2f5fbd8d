#include "disk/physical_disk_node.h"

#include <new>

#include "disk/whole_disk_device.h"

namespace orvande {

PhysicalDiskNode::PhysicalDiskNode(uint32_t diskNumber, std::string displayName, DevicePorts ports)
    : diskNumber_(diskNumber), displayName_(std::move(displayName)), ports_(std::move(ports)) {}

SectorDevice* PhysicalDiskNode::CreateDevice() {
  return new (std::nothrow) WholeDiskDevice(this, ports_);
}

}  // namespace orvande
