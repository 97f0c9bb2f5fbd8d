#pragma once
// What every front end sets up before its first window or command: the settings file, the
// program's options and window layout, the program's folders, the "debug" switch and the
// bad-sector list. Made once at start; at its end (Exit, or destruction) the options are saved
// once more. The settings objects it hands out may be used from several threads; the
// environment itself by one thread at a time.
#include <memory>
#include <string>
#include <vector>

#include "app/app_settings.h"
#include "app/bad_sector_list.h"
#include "app/layout_settings.h"
#include "app/program_folders.h"
#include "app/settings_file.h"
#include "support/debug_log.h"

namespace orvande {

struct StartupOptions {
  std::vector<std::string> arguments;                     // those after the program's name
  std::string settingsFolder;                             // empty: SettingsFile::DefaultFolder()
  std::string homeFolder;                                 // empty: the user's home folder
  std::string programFolder;                              // empty: the executable's folder
  std::string dataFolder;                                 // empty: found from the program folder
  std::string debugLogPath = DebugLog::kDefaultFileName;  // relative: in the current folder
  DebugLog* debugLog = nullptr;                           // null: the program's one trace
};

class AppEnvironment {
 public:
  static constexpr char kDefaultOutputFolderName[] = "Recovered Files/";

  // Runs the start-up in its fixed order; nothing in it fails the start (a damaged settings file
  // gives the defaults and a warning).
  explicit AppEnvironment(const StartupOptions& options);
  ~AppEnvironment();
  AppEnvironment(const AppEnvironment&) = delete;
  AppEnvironment& operator=(const AppEnvironment&) = delete;

  // Saves every option; later calls do nothing.
  void Exit();

  AppSettings& Settings() { return settings_; }
  LayoutSettings& Layout() { return layout_; }
  SettingsFile& SettingsBackend() { return *backend_; }
  const ProgramFolders& Folders() const { return folders_; }
  const BadSectorList& BadSectors() const { return badSectors_; }
  bool DebugTraceOn() const { return debugTraceOn_; }
  // What the user should be told about the start (and about saves since); emptied when taken.
  std::vector<std::string> TakeWarnings();

 private:
  void LoadStore(RegistryStore& store, const char* storeKey);
  void SetDefaultOutputFolder(const std::string& homeFolder);
  void ReadBadSectorLists();

  std::unique_ptr<SettingsFile> backend_;
  AppSettings settings_;
  LayoutSettings layout_;
  ProgramFolders folders_;
  BadSectorList badSectors_;
  bool debugTraceOn_ = false;
  bool exited_ = false;
  std::vector<std::string> warnings_;
};

}  // namespace orvande
