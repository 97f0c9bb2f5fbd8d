#pragma once
// The label and file-system name of the volume on a block device or image file, as the block
// device identification library reads them. Safe from any thread (each call probes on its own).
#include <functional>
#include <optional>
#include <string>

namespace orvande::platform {

struct VolumeFacts {
  std::string fsType;     // the library's name: "vfat", "ntfs", "ext4"; empty when none was found
  std::string fsVersion;  // "FAT32" and the like, where the file system has versions
  std::string label;
  bool partitionTable = false;  // the device starts with a partition table
};

// nullopt when the device cannot be read (no rights, no such device): its facts are unknown.
using VolumeProbe = std::function<std::optional<VolumeFacts>(const std::string& devicePath)>;

std::optional<VolumeFacts> ProbeVolume(const std::string& devicePath);

}  // namespace orvande::platform
