#include "gui/operation_log_dialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "support/string_table.h"

namespace orvande::gui {

OperationLogDialog::OperationLogDialog(const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(strings::kOperationLogTitle));
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setPlainText(text);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  QPushButton* copyAll = buttons->addButton(QString::fromUtf8(kCopyAllText),
                                            QDialogButtonBox::ActionRole);
  connect(copyAll, &QPushButton::clicked, this, &OperationLogDialog::CopyAll);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addWidget(buttons);
  const QFontMetrics metrics(text_->font());
  resize(metrics.horizontalAdvance(QLatin1Char('M')) * 60, metrics.lineSpacing() * 20);
}

QString OperationLogDialog::LogText() const {
  return text_->toPlainText();
}

void OperationLogDialog::CopyAll() {
  QApplication::clipboard()->setText(text_->toPlainText());
}

}  // namespace orvande::gui
