#include "app/recover_dialog_checks.h"

#include "app/app_settings.h"
#include "app/recovery_plan.h"
#include "disk/image_file_node.h"
#include "disk/logical_drive_node.h"
#include "disk/partition_node.h"
#include "disk/physical_disk_node.h"
#include "platform/file_system.h"
#include "platform/same_disk.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande {
namespace {

std::string DiskPath(const DevicePorts& ports, int64_t number) {
  if (number < 0 || !ports.diskPath) return std::string();
  return ports.diskPath(static_cast<uint32_t>(number));
}

// A folder that is still to be made lies on the device of its nearest existing ancestor.
std::string NearestExistingFolder(const RecoverFolderChecks& checks, std::string folder) {
  while (!folder.empty()) {
    if (checks.folderExists(folder)) return folder;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    const size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos) return ".";
    folder.resize(slash + 1);
  }
  return folder;
}

RecoverFolderChecks WithSystemDefaults(RecoverFolderChecks checks) {
  if (!checks.onSourceDevice) checks.onSourceDevice = platform::OutputOnSourceDevice;
  if (!checks.folderExists)
    checks.folderExists = [](const std::string& folder) { return platform::IsDirectory(folder); };
  return checks;
}

bool Confirmed(Prompter& prompter, uint32_t textId, MessageIcon icon) {
  return prompter.ShowMessage(LoadString(textId), strings::kProgramTitle, icon,
                              MessageButtons::kYesNo) == MessageAnswer::kYes;
}

}  // namespace

RecoverDialogValues StoredRecoverValues(const AppSettings& settings) {
  RecoverDialogValues values;
  values.outputFolder = settings.RecoverOutputFolder();
  values.restoreFolderStructure = settings.RestoreFolderStructure();
  values.recoverAllFiles = settings.RecoverAllFiles();
  values.recoverAlternativeStreams = settings.RecoverAlternativeStreams();
  return values;
}

void StoreRecoverValues(AppSettings& settings, const RecoverDialogValues& values) {
  settings.SetRecoverOutputFolder(values.outputFolder);
  settings.SetRestoreFolderStructure(values.restoreFolderStructure);
  settings.SetRecoverAllFiles(values.recoverAllFiles);
  settings.SetRecoverAlternativeStreams(values.recoverAlternativeStreams);
}

std::string RecoverySourcePath(const DeviceNode* node) {
  if (const auto* drive = dynamic_cast<const LogicalDriveNode*>(node))
    return drive->GetDevicePath();
  if (const auto* image = dynamic_cast<const ImageFileNode*>(node)) return image->GetPath();
  if (const auto* partition = dynamic_cast<const PartitionNode*>(node))
    return DiskPath(partition->GetPorts(), partition->GetDiskNumber());
  if (const auto* disk = dynamic_cast<const PhysicalDiskNode*>(node))
    return DiskPath(disk->GetPorts(), disk->GetDiskNumber());
  return std::string();
}

bool RecoverFolderTextUsable(const std::string& text) {
  return !DestinationRoot(text).empty();
}

bool AcceptRecoverFolder(Prompter& prompter, const RecoverFolderChecks& given,
                         std::string& folder) {
  const RecoverFolderChecks checks = WithSystemDefaults(given);
  folder = DestinationRoot(folder);
  if (!checks.sourcePath.empty() &&
      checks.onSourceDevice(checks.sourcePath, NearestExistingFolder(checks, folder)) &&
      !Confirmed(prompter, strings::kIdSameDiskWarning, MessageIcon::kExclamation))
    return false;
  if (!checks.folderExists(folder) &&
      !Confirmed(prompter, strings::kIdCreateMissingFolder, MessageIcon::kQuestion))
    return false;
  return true;
}

}  // namespace orvande
