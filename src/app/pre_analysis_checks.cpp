#include "app/pre_analysis_checks.h"

#include "app/device_list.h"
#include "app/mount_point_check.h"
#include "disk/logical_drive_node.h"
#include "platform/file_system.h"

namespace orvande {

std::string BlockDeviceSourcePath(const DeviceNode& node) {
  if (node.GetKind() != kNodeLogicalDrive) return {};
  const std::string& path = static_cast<const LogicalDriveNode&>(node).GetDevicePath();
  uint64_t deviceId = 0;
  // A volume image opened by path is a logical drive too, but nothing mounts it by that path.
  if (platform::BlockDeviceId(path, &deviceId) != 0) return {};
  return path;
}

std::vector<std::string> ListedDevicePaths(const DeviceList& list) {
  std::vector<std::string> paths;
  for (const FoundDrive& drive : list.LogicalDrives()) paths.push_back(drive.node->GetDevicePath());
  return paths;
}

bool RunPreAnalysisChecks(const std::string& devicePath,
                          const std::vector<std::string>& listedDevices,
                          const std::vector<platform::MountEntry>& mounts, AppSettings& settings,
                          Prompter& prompter, OperationLog& log) {
  if (devicePath.empty()) return true;
  if (!CheckMountPoints(devicePath, listedDevices, mounts, settings, prompter)) return false;
  WarnIfMountedReadWrite(devicePath, mounts, log);
  return true;
}

}  // namespace orvande
