#pragma once
// The block devices that hold volumes: partitions and whole devices without a partition table.
// Safe from any thread (each call reads sysfs and probes on its own).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "disk/discovery_sources.h"
#include "disk/logical_drive_node.h"

namespace orvande {

struct FoundDrive {
  std::shared_ptr<LogicalDriveNode> node;
  uint64_t sizeBytes = 0;
};

// Shown when the volume's facts cannot be had or it holds no known file system.
inline constexpr char kUnknownFsText[] = "REMOVABLE";
inline constexpr char kNoLabelText[] = "Local Disk";

// kFsNtfs for "NTFS", kFsFat for a name starting "FAT", else kFsNone; case does not matter.
int FsKindOfName(std::string_view fsName);
// The file-system name as the device list shows it: the FAT version ("FAT32") for the library's
// "vfat", "NTFS" for "ntfs", other names as they are; kUnknownFsText without a file system.
std::string FsTextOf(const std::optional<platform::VolumeFacts>& facts);
// " %s (%s) : %s": label (or kNoLabelText), device path, file-system text.
std::string LogicalDriveText(const std::string& label, const std::string& devicePath,
                             const std::string& fsText);

// Fills `drives` (emptied first) in natural name order of the disks, each disk's partitions in
// theirs. False when sysfs cannot be read.
bool EnumerateLogicalDrives(const DiscoverySources& sources, std::vector<FoundDrive>* drives);

}  // namespace orvande
