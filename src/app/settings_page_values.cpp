#include "app/settings_page_values.h"

namespace orvande {

MainSettingsPageValues LoadMainSettingsPage(const MainSettingsPageStore& store) {
  MainSettingsPageValues values;
  values.showRecoveryProbability = store.GetShowRecoveryProbability();
  values.showMountPointPrompt = store.GetShowMountPointPrompt();
  return values;
}

void StoreMainSettingsPage(const MainSettingsPageValues& values, MainSettingsPageStore& store) {
  store.SetShowRecoveryProbability(values.showRecoveryProbability);
  store.SetShowMountPointPrompt(values.showMountPointPrompt);
}

}  // namespace orvande
