#pragma once
// BrokenFileNameDialog: "Broken File Name" asks for the name of a recovered file whose first
// character could not be read, or for a character that stands for it in every later name. A
// refused answer is explained and the dialog stays open. User-interface thread only.
#include <QDialog>

#include "support/prompter.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace orvande::gui {

class BrokenFileNameDialog final : public QDialog {
  Q_OBJECT

 public:
  BrokenFileNameDialog(const QString& name, QWidget* parent = nullptr);

  // Skip unless Rename or Skip All was pressed.
  const BrokenNameAnswer& Answer() const { return answer_; }

  QLineEdit& NewNameEdit() { return *newName_; }
  QCheckBox& ChangeAllBox() { return *changeAll_; }
  QLineEdit& SymbolEdit() { return *symbol_; }
  QPushButton& RenameButton() { return *rename_; }
  QPushButton& SkipAllButton() { return *skipAll_; }

 private:
  void Rename();

  BrokenNameAnswer answer_;
  QLineEdit* newName_ = nullptr;
  QCheckBox* changeAll_ = nullptr;
  QLineEdit* symbol_ = nullptr;
  QPushButton* rename_ = nullptr;
  QPushButton* skipAll_ = nullptr;
};

}  // namespace orvande::gui
