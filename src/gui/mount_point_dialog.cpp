#include "gui/mount_point_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "app/mount_point_check.h"

namespace orvande::gui {

MountPointDialog::MountPointDialog(const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(kMountPointCaption));
  auto* icon = new QLabel(this);
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
  icon->setAlignment(Qt::AlignTop);
  auto* message = new QLabel(text, this);
  message->setWordWrap(true);
  message->setMinimumWidth(QFontMetrics(font()).averageCharWidth() * 60);

  auto* textRow = new QHBoxLayout;
  textRow->addWidget(icon);
  textRow->addWidget(message, 1);

  dontShowAgain_ = new QCheckBox(QString::fromUtf8(kDontShowAgainCheckBox), this);
  auto* buttons = new QDialogButtonBox(this);
  continue_ = buttons->addButton(QString::fromUtf8(kContinueAnalyzingButton),
                                 QDialogButtonBox::AcceptRole);
  stop_ = buttons->addButton(QString::fromUtf8(kStopAnalyzingButton), QDialogButtonBox::RejectRole);
  continue_->setDefault(true);
  connect(continue_, &QPushButton::clicked, this, &QDialog::accept);
  connect(stop_, &QPushButton::clicked, this, [this] {
    stopChosen_ = true;
    reject();
  });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(textRow);
  layout->addWidget(dontShowAgain_);
  layout->addWidget(buttons);
}

MountPointAnswer MountPointDialog::Answer() const {
  return {stopChosen_, dontShowAgain_->isChecked()};
}

}  // namespace orvande::gui
