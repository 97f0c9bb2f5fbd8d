#include "gui/confirm_file_replace_dialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "support/format.h"
#include "support/string_table.h"

namespace orvande::gui {

ConfirmFileReplaceDialog::ConfirmFileReplaceDialog(const QString& path, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(strings::kConfirmReplaceCaption));
  const std::string exists =
      Format(LoadString(strings::kIdFileExists), path.toUtf8().constData());
  text_ = QString::fromUtf8(strings::kReplaceExistingFile) + QLatin1Char('\n') +
          QString::fromStdString(exists);

  auto* icon = new QLabel(this);
  const int side = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(side, side));
  auto* text = new QLabel(text_, this);
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addWidget(text, 1);

  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(row);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  const std::pair<ReplaceAnswer, const char*> answers[] = {
      {ReplaceAnswer::kReplace, "&Replace"},
      {ReplaceAnswer::kReplaceAll, "Replace &all"},
      {ReplaceAnswer::kSkip, "&Skip"},
      {ReplaceAnswer::kSkipAll, "S&kip all"},
      {ReplaceAnswer::kAutoRenameAll, "Auto &rename all"},
  };
  for (const auto& [answer, label] : answers) AddButton(answer, QString::fromUtf8(label));
  for (const auto& [answer, button] : buttons_) row->addWidget(button);
  ButtonFor(ReplaceAnswer::kReplace).setDefault(true);
}

void ConfirmFileReplaceDialog::AddButton(ReplaceAnswer answer, const QString& text) {
  auto* button = new QPushButton(text, this);
  connect(button, &QPushButton::clicked, this, [this, answer] {
    answer_ = answer;
    accept();
  });
  buttons_.emplace_back(answer, button);
}

QPushButton& ConfirmFileReplaceDialog::ButtonFor(ReplaceAnswer answer) {
  for (const auto& [given, button] : buttons_)
    if (given == answer) return *button;
  return *buttons_.front().second;
}

QString ConfirmFileReplaceDialog::Text() const {
  return text_;
}

}  // namespace orvande::gui
