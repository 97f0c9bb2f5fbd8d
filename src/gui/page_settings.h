#pragma once
// The Settings sheet's page "Main": the two check boxes of the frame's options. It only shows
// values; the sheet loads and stores them. User-interface thread only.
#include <QWidget>

#include "app/settings_page_values.h"

class QCheckBox;

namespace orvande::gui {

class CPageSettings final : public QWidget {
  Q_OBJECT

 public:
  explicit CPageSettings(QWidget* parent);

  void Show(const MainSettingsPageValues& values);
  MainSettingsPageValues Values() const;

  QCheckBox& RecoveryProbabilityBox() { return *recoveryProbability_; }
  QCheckBox& MountPointPromptBox() { return *mountPointPrompt_; }

 private:
  QCheckBox* recoveryProbability_ = nullptr;
  QCheckBox* mountPointPrompt_ = nullptr;
};

}  // namespace orvande::gui
