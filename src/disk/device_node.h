#pragma once
// One entry of the device list; it makes the device that reads it.
#include <cstdint>
#include <string>

namespace orvande {

class SectorDevice;

enum DeviceNodeKind : int {
  kNodeLogicalDrive = 0,
  kNodeImageFile = 1,
  kNodePhysicalDisk = 2,
  kNodePartition = 3,
};

enum FileSystemKind : int { kFsNone = 0, kFsFat = 1, kFsNtfs = 2 };

class DeviceNode {
 public:
  virtual ~DeviceNode() = default;
  virtual int GetKind() const = 0;
  virtual int GetFsKind() const = 0;
  virtual std::string GetName() const = 0;
  virtual int IsRemovable() const = 0;
  virtual char GetDriveLetter() const = 0;
  // A new device with one reference, not yet open; null when memory runs out.
  virtual SectorDevice* CreateDevice() = 0;
  // A floppy drive whose own boot sector names no file system is read with a stand-in one: when
  // this node is a floppy drive it keeps the 512-byte block as its sector 0 and returns true.
  // Other nodes refuse.
  virtual bool StoreFloppyBootSector(const uint8_t* /*block512*/) { return false; }
};

}  // namespace orvande
