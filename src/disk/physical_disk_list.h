#pragma once
// The whole disks of the machine as physical disk nodes, numbered as raw disk numbers count them,
// and whole-disk image files offered as disks after them. Safe from any thread.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "disk/discovery_sources.h"
#include "disk/physical_disk_node.h"

namespace orvande {

struct FoundDisk {
  std::shared_ptr<PhysicalDiskNode> node;
  std::string path;  // the device node, or the image file
  uint64_t sizeBytes = 0;
};

// The identification text from the disk's inquiry fields: each field up to its first byte below
// 33 or above 122 ("IBM     " -> "IBM"), the non-empty ones joined by one blank. A vendor
// given as a number ("0x1af4") is left out.
std::string DiskIdentificationText(std::string_view vendor, std::string_view model);
// "Disk %d (%s)", or "Disk %d" without an identification.
std::string PhysicalDiskName(uint32_t number, const std::string& identification);

// Fills `disks` (emptied first). False when sysfs cannot be read.
bool EnumeratePhysicalDisks(const DiscoverySources& sources, std::vector<FoundDisk>* disks);

// A node for a whole-disk image file numbered `number`, reading the file through `ports`.
FoundDisk MakeImageDisk(const std::string& imagePath, uint32_t number, DevicePorts ports,
                        uint64_t sizeBytes);

}  // namespace orvande
