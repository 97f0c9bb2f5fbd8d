#pragma once
// The "Settings" sheet: its one page "Main" in a tab, OK and Cancel, no Apply. The page shows
// the stored values when the sheet opens; OK stores both of them. User-interface thread only.
#include <QDialog>

class QTabWidget;

namespace orvande {
class AppSettings;
}  // namespace orvande

namespace orvande::gui {

class CPageSettings;

class SettingsDialog final : public QDialog {
  Q_OBJECT

 public:
  SettingsDialog(AppSettings& settings, QWidget* parent);

  CPageSettings& MainPage() { return *mainPage_; }
  QTabWidget& Pages() { return *pages_; }

  void accept() override;

 private:
  AppSettings& settings_;
  QTabWidget* pages_ = nullptr;
  CPageSettings* mainPage_ = nullptr;
};

// The Settings command: the sheet, modal over parent; true when it was closed with OK.
bool ShowSettingsSheet(AppSettings& settings, QWidget* parent);

}  // namespace orvande::gui
