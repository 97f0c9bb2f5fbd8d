#pragma once
// The "Operation Log" dialog: the joined lines of an operation's log, read-only, with a button
// that copies all of it to the clipboard. User-interface thread only.
#include <QDialog>

class QPlainTextEdit;

namespace orvande::gui {

class OperationLogDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr char kCopyAllText[] = "Copy &All";

  OperationLogDialog(const QString& text, QWidget* parent);
  QString LogText() const;

 private:
  void CopyAll();

  QPlainTextEdit* text_ = nullptr;
};

}  // namespace orvande::gui
