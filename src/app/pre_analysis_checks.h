#pragma once
// What both front ends check before a volume on a block device is analysed: the other devices
// mounted inside it (the user may stop), then a read-write mount (a warning in the analysis log).
// Call from one thread at a time; the prompter may be asked.
#include <string>
#include <vector>

#include "platform/mount_table.h"

namespace orvande {

class AppSettings;
class DeviceList;
class DeviceNode;
class OperationLog;
class Prompter;

// The device path of a node that reads a block device (a logical drive whose path names one);
// empty for image files, partitions of a disk and anything else.
std::string BlockDeviceSourcePath(const DeviceNode& node);

// The device paths of the list's logical drives, the ones a mount point may belong to.
std::vector<std::string> ListedDevicePaths(const DeviceList& list);

// False when the user chose to stop at a "Mount Point" question; then nothing is logged. An empty
// devicePath (no block device) passes without a check.
bool RunPreAnalysisChecks(const std::string& devicePath,
                          const std::vector<std::string>& listedDevices,
                          const std::vector<platform::MountEntry>& mounts, AppSettings& settings,
                          Prompter& prompter, OperationLog& log);

}  // namespace orvande
