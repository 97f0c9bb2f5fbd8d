#pragma once
// ConfirmFileReplaceDialog: "Confirm file replace" asks what a recovery does with a file that
// exists at its destination. Closing it without a choice skips the file. User-interface thread
// only.
#include <QDialog>

#include "support/prompter.h"

class QPushButton;

namespace orvande::gui {

class ConfirmFileReplaceDialog final : public QDialog {
  Q_OBJECT

 public:
  ConfirmFileReplaceDialog(const QString& path, QWidget* parent = nullptr);

  ReplaceAnswer Answer() const { return answer_; }
  // The button that gives that answer.
  QPushButton& ButtonFor(ReplaceAnswer answer);
  QString Text() const;

 private:
  void AddButton(ReplaceAnswer answer, const QString& text);

  ReplaceAnswer answer_ = ReplaceAnswer::kSkip;
  QString text_;
  std::vector<std::pair<ReplaceAnswer, QPushButton*>> buttons_;
};

}  // namespace orvande::gui
