#include "app/app_environment.h"

#include "app/debug_switch.h"
#include "platform/file_system.h"
#include "platform/user_folders.h"

namespace orvande {
namespace {

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

std::string SettingsFolderFor(const StartupOptions& options) {
  if (!options.settingsFolder.empty()) return options.settingsFolder;
  const std::string folder = SettingsFile::DefaultFolder();
  return folder.empty() ? std::string(".") : folder;
}

}  // namespace

AppEnvironment::AppEnvironment(const StartupOptions& options)
    : backend_(std::make_unique<SettingsFile>(SettingsFolderFor(options))) {
  backend_->OpenRoot(AppSettings::kRegistryRoot);
  LoadStore(settings_, AppSettings::kStoreKey);
  SetDefaultOutputFolder(options.homeFolder.empty() ? platform::HomeFolder() : options.homeFolder);
  folders_ = MakeProgramFolders(
      options.programFolder.empty() ? platform::ExecutableDirectory() : options.programFolder,
      options.dataFolder);
  LoadStore(layout_, LayoutSettings::kStoreKey);
  if (HasDebugSwitch(options.arguments)) {
    DebugLog& log = options.debugLog != nullptr ? *options.debugLog : TheDebugLog();
    // A trace file that cannot be made leaves tracing off without a word.
    debugTraceOn_ = log.Enable(options.debugLogPath);
  }
  ReadBadSectorLists();
}

AppEnvironment::~AppEnvironment() {
  Exit();
}

void AppEnvironment::Exit() {
  if (exited_) return;
  exited_ = true;
  settings_.SaveAll();
}

void AppEnvironment::LoadStore(RegistryStore& store, const char* storeKey) {
  store.Bind(*backend_, storeKey);
  std::vector<std::string> unusable;
  store.LoadAll(&unusable);
  if (!unusable.empty()) {
    warnings_.push_back("These settings could not be used and keep their defaults: " +
                        Joined(unusable));
  }
}

void AppEnvironment::SetDefaultOutputFolder(const std::string& homeFolder) {
  if (!settings_.RecoverOutputFolder().empty() || homeFolder.empty()) return;
  const bool endsWithSlash = homeFolder.back() == '/';
  settings_.SetRecoverOutputFolder(homeFolder + (endsWithSlash ? "" : "/") +
                                   kDefaultOutputFolderName);
}

void AppEnvironment::ReadBadSectorLists() {
  // The data folder's list comes with the program; the one in the settings folder is the user's.
  badSectors_.ReadFile(folders_.badSectorsFile);
  badSectors_.ReadFile(backend_->Folder() + "/" + BadSectorList::kFileName);
}

std::vector<std::string> AppEnvironment::TakeWarnings() {
  std::vector<std::string> warnings = backend_->TakeWarnings();
  warnings.insert(warnings.begin(), warnings_.begin(), warnings_.end());
  warnings_.clear();
  return warnings;
}

}  // namespace orvande
