#pragma once
// The Recover dialog's rules without its widgets: the values it shows and stores, the folder text
// it hands on, and the questions its OK asks before it closes. Free functions of their arguments;
// callable from any thread (the questions block until the prompter is answered).
#include <functional>
#include <string>

namespace orvande {

class AppSettings;
class DeviceNode;
class Prompter;

// What the dialog shows and, on OK, stores.
struct RecoverDialogValues {
  std::string outputFolder;
  bool restoreFolderStructure = false;
  bool recoverAllFiles = false;
  bool recoverAlternativeStreams = true;
};

RecoverDialogValues StoredRecoverValues(const AppSettings& settings);
void StoreRecoverValues(AppSettings& settings, const RecoverDialogValues& values);

// The device path a recovery from node reads, for the same-disk question; empty when unknown.
std::string RecoverySourcePath(const DeviceNode* node);

// OK may be pressed: the folder text holds more than blanks.
bool RecoverFolderTextUsable(const std::string& text);

// How OK judges the folder; a null function uses the running system.
struct RecoverFolderChecks {
  std::string sourcePath;  // the analysed device; empty: never the same disk
  // Writing below an existing folder could overwrite the source device.
  std::function<bool(const std::string& source, const std::string& folder)> onSourceDevice;
  std::function<bool(const std::string& folder)> folderExists;
};

// OK of the dialog: the folder is trimmed and given its final '/', then the same-disk warning and
// the create-folder question are asked as needed. False keeps the dialog open.
bool AcceptRecoverFolder(Prompter& prompter, const RecoverFolderChecks& checks,
                         std::string& folder);

}  // namespace orvande
