#pragma once
// RecoverDialog: "Recover" asks where a recovery writes and how. It shows the stored output
// folder and options; OK runs the folder's checks (trimmed, final '/', same-disk warning, create
// question), stores what was accepted and closes. User-interface thread only.
#include <QDialog>

#include "app/recover_dialog_checks.h"

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QPushButton;

namespace orvande {
class AppSettings;
class Prompter;
}  // namespace orvande

namespace orvande::gui {

class RecoverDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Recover";

  // The questions of OK go to prompter; checks say which device is recovered from.
  RecoverDialog(AppSettings& settings, Prompter& prompter, RecoverFolderChecks checks,
                QWidget* parent = nullptr);

  // After OK: the accepted folder (ending with '/') and the options.
  const RecoverDialogValues& Values() const { return values_; }

  QLineEdit& FolderEdit() { return *folder_; }
  QCheckBox& RestoreStructureBox() { return *restoreStructure_; }
  QCheckBox& AllFilesBox() { return *allFiles_; }
  QCheckBox& StreamsBox() { return *streams_; }
  QPushButton& OkButton();

  void accept() override;

 private:
  void Browse();
  void UpdateOk();

  AppSettings& settings_;
  Prompter& prompter_;
  RecoverFolderChecks checks_;
  RecoverDialogValues values_;
  QLineEdit* folder_ = nullptr;
  QCheckBox* restoreStructure_ = nullptr;
  QCheckBox* allFiles_ = nullptr;
  QCheckBox* streams_ = nullptr;
  QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace orvande::gui
