#pragma once
// What the frame's dialogs load from and store into the program's settings: the two check boxes
// of the Settings command's page "Main" and the Find dialog's values. Plain functions over the
// thread-safe settings.
#include "app/file_search.h"

namespace orvande {

class AppSettings;

inline constexpr const char kSettingsSheetTitle[] = "Settings";
inline constexpr const char kMainSettingsPageTitle[] = "Main";
inline constexpr const char kRecoveryProbabilityCheckText[] =
    "&Determinate file's recovery probability";
inline constexpr const char kMountPointPromptCheckText[] = "&Show \"Mount Point\" prompt";

struct MainSettingsPageValues {
  bool showRecoveryProbability = true;
  bool showMountPointPrompt = true;
};

MainSettingsPageValues LoadMainSettingsPage(const AppSettings& settings);
// On OK: both are stored, changed or not.
void StoreMainSettingsPage(const MainSettingsPageValues& values, AppSettings& settings);

// The Find dialog's four values (strLastSearchString and the three options).
FindSettings LoadFindSettings(const AppSettings& settings);
void StoreFindSettings(const FindSettings& values, AppSettings& settings);

}  // namespace orvande
