#pragma once
// What sysfs says about the block devices of the machine, read without opening any device (so a
// user without read rights still sees them). The sysfs root is a parameter so that a folder tree
// can stand in for /sys. Safe from any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace orvande::platform {

inline constexpr const char* kSysfsRoot = "/sys";

struct BlockDeviceFacts {
  std::string name;        // "sdb1", "loop0", "nvme0n1p2"
  uint64_t sizeSectors = 0;  // sysfs counts 512-byte units whatever the sector size
  bool removable = false;  // a partition has its disk's flag
  bool isPartition = false;
  std::string parentDisk;   // the disk a partition lies on; empty for a whole device
  std::string backingFile;  // the file behind a loop device; empty when unbound or not a loop
  std::string vendor;       // as sysfs keeps them, padding included
  std::string model;
};

struct WholeDeviceFacts {
  BlockDeviceFacts device;
  std::vector<BlockDeviceFacts> partitions;
};

// Every device under <sysRoot>/block with its partitions, in the order the folder lists them.
// Empty when the folder cannot be read.
std::vector<WholeDeviceFacts> ListBlockDevices(const std::string& sysRoot = kSysfsRoot);

}  // namespace orvande::platform
