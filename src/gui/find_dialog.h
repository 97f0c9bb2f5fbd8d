#pragma once
// FindDialog: the "Find" box of Find file. It shows "&Find what:" and "&Deleted only"; it also
// keeps the whole-name and case choices it was loaded with, without showing them.
// User-interface thread only.
#include <QDialog>
#include <optional>

#include "app/file_search.h"

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;

namespace orvande::gui {

class FindDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Find";

  FindDialog(const FindSettings& values, QWidget* parent = nullptr);

  // The values as the user left them.
  FindSettings Values() const;

  QLineEdit& TextEdit() { return *text_; }
  QCheckBox& DeletedOnlyBox() { return *deletedOnly_; }
  QDialogButtonBox& Buttons() { return *buttons_; }

 private:
  QLineEdit* text_ = nullptr;
  QCheckBox* deletedOnly_ = nullptr;
  QCheckBox* wholeName_ = nullptr;  // kept hidden
  QCheckBox* matchCase_ = nullptr;  // kept hidden
  QDialogButtonBox* buttons_ = nullptr;
};

// Shows the dialog modally: the values chosen, or nothing when it was cancelled.
std::optional<FindSettings> AskFindValues(const FindSettings& values, QWidget* parent);

}  // namespace orvande::gui
