#include "gui/find_searching_dialog.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace orvande::gui {
namespace {

constexpr char kCancel[] = "Cancel";
constexpr int kBarWidthChars = 36;

}  // namespace

FindSearchingDialog::FindSearchingDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(kTitle));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(this);
  const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize, nullptr, this);
  icon->setPixmap(QIcon::fromTheme(QStringLiteral("edit-find"),
                                   style()->standardIcon(QStyle::SP_FileDialogContentsView))
                      .pixmap(iconSize, iconSize));
  top->addWidget(icon);
  top->addWidget(new QLabel(QString::fromUtf8(kText), this), 1);
  layout->addLayout(top);

  // No range: the bar moves to and fro for as long as the search runs.
  auto* bar = new QProgressBar(this);
  bar->setRange(0, 0);
  bar->setTextVisible(false);
  bar->setMinimumWidth(fontMetrics().averageCharWidth() * kBarWidthChars);
  layout->addWidget(bar);

  auto* buttons = new QHBoxLayout;
  cancel_ = new QPushButton(QString::fromUtf8(kCancel), this);
  buttons->addStretch(1);
  buttons->addWidget(cancel_);
  buttons->addStretch(1);
  layout->addLayout(buttons);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool FindSearchingDialog::Run() {
  // A short search may have ended before the window could be shown.
  if (ended_.load()) return true;
  return exec() == QDialog::Accepted || ended_.load();
}

void FindSearchingDialog::Send(uint32_t message, uintptr_t /*wParam*/, uintptr_t /*lParam*/) {
  if (message != kMsgWorkerMessage) return;
  ended_.store(true);
  QMetaObject::invokeMethod(
      this, [this] { if (isVisible()) accept(); }, Qt::QueuedConnection);
}

}  // namespace orvande::gui
