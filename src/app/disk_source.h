#pragma once
// A whole disk named by the user: a whole-disk image file or a whole-disk block device, as the
// physical disk node the search and the partition list work on. An image file is read in the
// sector size the user names (512 unless told otherwise); a device in its own. Call from one
// thread at a time.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "disk/physical_disk_node.h"

namespace orvande {

inline constexpr uint32_t kDefaultImageSectorSize = 512;

// The number the node of a disk named by its path gets; its ports map it to that path.
inline constexpr uint32_t kNamedDiskNumber = 0;

struct OpenedDisk {
  std::unique_ptr<PhysicalDiskNode> node;
  std::string canonicalPath;  // the file or device, links resolved
  uint64_t totalSectors = 0;
  uint32_t bytesPerSector = 0;
  uint64_t SizeBytes() const { return totalSectors * bytesPerSector; }
};

// True for the sector sizes the disk layer reads: 512, 1024, 2048 and 4096 bytes.
bool IsSupportedSectorSize(uint32_t bytesPerSector);

// The disk at `path`, checked to open and to hold at least one whole sector; nothing, with a
// one-line *problem for the user, otherwise. `imageSectorSize` applies to image files only.
std::optional<OpenedDisk> OpenNamedDisk(const std::string& path, uint32_t imageSectorSize,
                                        std::string* problem);

// A partition of a disk named on the command line as "DISK@N" (N from 1).
struct DiskPartitionName {
  std::string diskPath;
  uint32_t number = 0;
};

// Splits "DISK@N" at its last '@' when N is a decimal number from 1; nothing otherwise.
std::optional<DiskPartitionName> ParseDiskPartitionName(const std::string& text);

}  // namespace orvande
