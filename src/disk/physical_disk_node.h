#pragma once
// A whole physical disk: offered to the lost partition search, read sector by sector. Read-only
// after construction: safe from any thread.
#include <cstdint>
#include <string>

#include "disk/device_node.h"
#include "disk/device_ports.h"

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

 private:
  uint32_t diskNumber_;
  std::string displayName_;
  DevicePorts ports_;
};

}  // namespace orvande
