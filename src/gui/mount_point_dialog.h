#pragma once
// "Mount Point": another device is mounted inside the volume about to be analysed; the user goes
// on or stops, and may switch the question off. User-interface thread only.
#include <QDialog>

#include "support/prompter.h"

class QCheckBox;
class QPushButton;

namespace orvande::gui {

class MountPointDialog final : public QDialog {
  Q_OBJECT

 public:
  MountPointDialog(const QString& text, QWidget* parent = nullptr);

  // What was chosen; closing the window any other way goes on, as "&Continue analyzing" does.
  MountPointAnswer Answer() const;

  QPushButton& ContinueButton() { return *continue_; }
  QPushButton& StopButton() { return *stop_; }
  QCheckBox& DontShowAgain() { return *dontShowAgain_; }

 private:
  QPushButton* continue_ = nullptr;
  QPushButton* stop_ = nullptr;
  QCheckBox* dontShowAgain_ = nullptr;
  bool stopChosen_ = false;
};

}  // namespace orvande::gui
