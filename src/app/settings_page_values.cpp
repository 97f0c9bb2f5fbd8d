#include "app/settings_page_values.h"

#include "app/app_settings.h"

namespace orvande {

MainSettingsPageValues LoadMainSettingsPage(const AppSettings& settings) {
  MainSettingsPageValues values;
  values.showRecoveryProbability = settings.ShowRecoveryProbability();
  values.showMountPointPrompt = settings.ShowMountPointPrompt();
  return values;
}

void StoreMainSettingsPage(const MainSettingsPageValues& values, AppSettings& settings) {
  settings.SetShowRecoveryProbability(values.showRecoveryProbability);
  settings.SetShowMountPointPrompt(values.showMountPointPrompt);
}

FindSettings LoadFindSettings(const AppSettings& settings) {
  FindSettings values;
  values.lastSearchString = settings.LastSearchString();
  values.searchDeletedOnly = settings.SearchDeletedOnly();
  values.searchMatchFullName = settings.SearchMatchFullName();
  values.searchMatchCase = settings.SearchMatchCase();
  return values;
}

void StoreFindSettings(const FindSettings& values, AppSettings& settings) {
  settings.SetLastSearchString(values.lastSearchString);
  settings.SetSearchDeletedOnly(values.searchDeletedOnly);
  settings.SetSearchMatchFullName(values.searchMatchFullName);
  settings.SetSearchMatchCase(values.searchMatchCase);
}

}  // namespace orvande
