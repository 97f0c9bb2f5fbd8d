#include "gui/settings_dialog.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/settings_page_values.h"
#include "gui/page_settings.h"

namespace orvande::gui {

SettingsDialog::SettingsDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
  setWindowTitle(QString::fromUtf8(kSettingsSheetTitle));
  pages_ = new QTabWidget(this);
  mainPage_ = new CPageSettings(pages_);
  mainPage_->Show(LoadMainSettingsPage(settings_));
  pages_->addTab(mainPage_, QString::fromUtf8(kMainSettingsPageTitle));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_, 1);
  layout->addWidget(buttons);
  const QFontMetrics metrics(font());
  resize(metrics.averageCharWidth() * 56, metrics.lineSpacing() * 12);
}

void SettingsDialog::accept() {
  StoreMainSettingsPage(mainPage_->Values(), settings_);
  QDialog::accept();
}

bool ShowSettingsSheet(AppSettings& settings, QWidget* parent) {
  SettingsDialog sheet(settings, parent);
  return sheet.exec() == QDialog::Accepted;
}

}  // namespace orvande::gui
