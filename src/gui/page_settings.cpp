#include "gui/page_settings.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace orvande::gui {

CPageSettings::CPageSettings(QWidget* parent) : QWidget(parent) {
  recoveryProbability_ = new QCheckBox(QString::fromUtf8(kRecoveryProbabilityCheckText), this);
  mountPointPrompt_ = new QCheckBox(QString::fromUtf8(kMountPointPromptCheckText), this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(recoveryProbability_);
  layout->addWidget(mountPointPrompt_);
  layout->addStretch(1);
}

void CPageSettings::Show(const MainSettingsPageValues& values) {
  recoveryProbability_->setChecked(values.showRecoveryProbability);
  mountPointPrompt_->setChecked(values.showMountPointPrompt);
}

MainSettingsPageValues CPageSettings::Values() const {
  MainSettingsPageValues values;
  values.showRecoveryProbability = recoveryProbability_->isChecked();
  values.showMountPointPrompt = mountPointPrompt_->isChecked();
  return values;
}

}  // namespace orvande::gui
