#pragma once
// The Settings command's one page, "Main": its two check boxes as values, loaded from and stored
// into the program's settings. Plain functions; the store decides its own thread rules.
namespace orvande {

inline constexpr const char kSettingsSheetTitle[] = "Settings";
inline constexpr const char kMainSettingsPageTitle[] = "Main";
inline constexpr const char kRecoveryProbabilityCheckText[] =
    "&Determinate file's recovery probability";
inline constexpr const char kMountPointPromptCheckText[] = "&Show \"Mount Point\" prompt";

// The two settings the page shows (bShowRecoveryProbability, bShowMountPointPrompt).
class MainSettingsPageStore {
 public:
  virtual ~MainSettingsPageStore() = default;
  virtual bool GetShowRecoveryProbability() const = 0;
  virtual void SetShowRecoveryProbability(bool value) = 0;
  virtual bool GetShowMountPointPrompt() const = 0;
  virtual void SetShowMountPointPrompt(bool value) = 0;
};

struct MainSettingsPageValues {
  bool showRecoveryProbability = true;
  bool showMountPointPrompt = true;
};

MainSettingsPageValues LoadMainSettingsPage(const MainSettingsPageStore& store);
// On OK: both are stored, changed or not.
void StoreMainSettingsPage(const MainSettingsPageValues& values, MainSettingsPageStore& store);

}  // namespace orvande
