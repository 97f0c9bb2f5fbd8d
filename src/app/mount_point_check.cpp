#include "app/mount_point_check.h"

#include <algorithm>
#include <string_view>

#include "app/app_settings.h"
#include "support/format.h"
#include "support/operation_log.h"
#include "support/prompter.h"

namespace orvande {
namespace {

bool IsInside(std::string_view path, std::string_view folder) {
  if (path.size() <= folder.size() || !path.starts_with(folder)) return false;
  return folder.ends_with('/') || path[folder.size()] == '/';
}

bool IsListed(const std::string& device, const std::vector<std::string>& listedDevices) {
  return std::find(listedDevices.begin(), listedDevices.end(), device) != listedDevices.end();
}

}  // namespace

const platform::MountEntry* EnclosingMount(const std::string& path,
                                           const std::vector<platform::MountEntry>& mounts) {
  const platform::MountEntry* closest = nullptr;
  for (const platform::MountEntry& mount : mounts) {
    if (!IsInside(path, mount.mountPoint)) continue;
    if (closest == nullptr || mount.mountPoint.size() > closest->mountPoint.size())
      closest = &mount;
  }
  return closest;
}

bool CheckMountPoints(const std::string& devicePath, const std::vector<std::string>& listedDevices,
                      const std::vector<platform::MountEntry>& mounts, AppSettings& settings,
                      Prompter& prompter) {
  std::vector<std::string> asked;
  for (const platform::MountEntry& mount : mounts) {
    if (!settings.ShowMountPointPrompt()) return true;
    if (mount.source == devicePath || !IsListed(mount.source, listedDevices)) continue;
    const platform::MountEntry* host = EnclosingMount(mount.mountPoint, mounts);
    if (host == nullptr || host->source != devicePath) continue;
    if (std::find(asked.begin(), asked.end(), mount.mountPoint) != asked.end()) continue;
    asked.push_back(mount.mountPoint);
    const MountPointAnswer answer = prompter.AskMountPoint(Format(
        kMountPointText, mount.mountPoint.c_str(), mount.source.c_str(), mount.source.c_str()));
    if (answer.dontShowAgain) settings.SetShowMountPointPrompt(false);
    if (answer.stop) return false;
  }
  return true;
}

bool WarnIfMountedReadWrite(const std::string& devicePath,
                            const std::vector<platform::MountEntry>& mounts, OperationLog& log) {
  bool warned = false;
  for (const platform::MountEntry& mount : mounts) {
    if (mount.source != devicePath || mount.readOnly) continue;
    log.AddFormatLine(OperationLog::kWarning, kMountedReadWriteWarning, devicePath.c_str(),
                      mount.mountPoint.c_str());
    warned = true;
  }
  return warned;
}

}  // namespace orvande
