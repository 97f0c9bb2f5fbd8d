#include "gui/tip_of_the_day_dialog.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/app_settings.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande::gui {

TipOfTheDayDialog::TipOfTheDayDialog(const std::string& tipsFile, AppSettings& settings,
                                     Prompter& prompter, QWidget* parent)
    : QDialog(parent), settings_(settings), prompter_(prompter) {
  setWindowTitle(QString::fromUtf8(kTitle));
  showTips_ = new QCheckBox(QString::fromUtf8(kShowTipsText), this);
  showTips_->setChecked(settings_.ShowTips());
  nextTip_ = new QPushButton(QString::fromUtf8(kNextTipText), this);
  auto* close = new QPushButton(QString::fromUtf8(kCloseText), this);
  close->setDefault(true);
  connect(nextTip_, &QPushButton::clicked, this, &TipOfTheDayDialog::ShowNextTip);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(showTips_);
  buttons->addStretch(1);
  buttons->addWidget(nextTip_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeTipPanel(), 1);
  layout->addLayout(buttons);

  reader_.Open(tipsFile, settings_.TipFilePos());
  ShowCurrentTip();
  const QFontMetrics metrics(font());
  resize(metrics.averageCharWidth() * 72, metrics.lineSpacing() * 14);
}

TipOfTheDayDialog::~TipOfTheDayDialog() {
  settings_.SetTipFilePos(reader_.Position());
  reader_.Close();
}

// A light bulb beside the heading and the tip, on the base colour like a page.
QWidget* TipOfTheDayDialog::MakeTipPanel() {
  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setBackgroundRole(QPalette::Base);
  panel->setAutoFillBackground(true);

  auto* icon = new QLabel(panel);
  const int iconSize = QFontMetrics(font()).height() * 3;
  QIcon bulb = QIcon::fromTheme(QStringLiteral("dialog-information"));
  if (bulb.isNull()) bulb = style()->standardIcon(QStyle::SP_MessageBoxInformation);
  icon->setPixmap(bulb.pixmap(iconSize, iconSize));
  icon->setAlignment(Qt::AlignTop);

  auto* heading = new QLabel(QString::fromUtf8(kHeading), panel);
  QFont headingFont = heading->font();
  headingFont.setBold(true);
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.5);
  heading->setFont(headingFont);
  tip_ = new QLabel(panel);
  tip_->setWordWrap(true);
  tip_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
  tip_->setTextFormat(Qt::PlainText);

  auto* text = new QVBoxLayout;
  text->addWidget(heading);
  text->addWidget(tip_, 1);
  auto* layout = new QHBoxLayout(panel);
  layout->addWidget(icon);
  layout->addLayout(text, 1);
  return panel;
}

QString TipOfTheDayDialog::TipText() const {
  return tip_->text();
}

void TipOfTheDayDialog::done(int result) {
  settings_.SetShowTips(showTips_->isChecked());
  QDialog::done(result);
}

void TipOfTheDayDialog::ShowNextTip() {
  reader_.NextTip();
  ShowCurrentTip();
}

void TipOfTheDayDialog::ShowCurrentTip() {
  tip_->setText(QString::fromStdString(reader_.Tip()));
  nextTip_->setEnabled(reader_.CanShowNextTip());
  const std::string message = reader_.TakeMessage();
  if (!message.empty())
    prompter_.ShowMessage(message, strings::kProgramTitle, MessageIcon::kExclamation,
                          MessageButtons::kOk);
}

void ShowTipOfTheDay(const std::string& tipsFile, AppSettings& settings, Prompter& prompter,
                     QWidget* parent) {
  TipOfTheDayDialog dialog(tipsFile, settings, prompter, parent);
  dialog.exec();
}

}  // namespace orvande::gui
