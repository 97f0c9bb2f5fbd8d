#pragma once
// A block device that holds a volume (a partition such as /dev/sdb1, or a whole device without a
// partition table), in the device list. The stored boot sector may be set from any thread; once
// stored it never changes, so the pointer handed out stays valid for the node's life.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "disk/device_node.h"
#include "disk/device_ports.h"

namespace orvande {

class LogicalDriveNode final : public DeviceNode {
 public:
  // `driveLetter` is '0' where the platform names volumes by path instead of letter.
  LogicalDriveNode(std::string devicePath, std::string displayText, int fsKind, bool removable,
                   char driveLetter = '0', DevicePorts ports = SystemDevicePorts());

  int GetKind() const override { return kNodeLogicalDrive; }
  int GetFsKind() const override { return fsKind_; }
  std::string GetName() const override { return displayText_; }
  int IsRemovable() const override { return removable_ ? 1 : 0; }
  char GetDriveLetter() const override { return driveLetter_; }
  SectorDevice* CreateDevice() override;

  const std::string& GetDevicePath() const { return devicePath_; }

  // Keeps a copy of a 512-byte block to stand in for sector 0. A block stored earlier is kept
  // and the call still succeeds. False for null, or when memory runs out.
  bool StoreBootSector(const uint8_t* block512);
  // The stored block, or null.
  const uint8_t* GetStoredBootSector() const;
  // Where the platform has drive letters, the floppy is A:; elsewhere it is a floppy device node.
  bool IsFloppyDrive() const;
  bool StoreFloppyBootSector(const uint8_t* block512) override;

 private:
  std::string devicePath_;
  std::string displayText_;
  int fsKind_;
  bool removable_;
  char driveLetter_;
  DevicePorts ports_;
  mutable std::mutex bootSectorLock_;
  std::unique_ptr<std::array<uint8_t, 512>> bootSector_;
};

}  // namespace orvande
