// The windows of the start and of the Help and Edit menus: splash, Tip of the Day, Settings and
// About, each driven as a user would and photographed. Runs offscreen.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <memory>

#include "gui_suites.h"
#include "window_test_helpers.h"
#include "app/about_box_text.h"
#include "app/app_environment.h"
#include "app/frame_commands.h"
#include "app/link_opener.h"
#include "app/settings_page_values.h"
#include "app/support_links.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "gui/about_dialog.h"
#include "gui/main_frame.h"
#include "gui/page_settings.h"
#include "gui/settings_dialog.h"
#include "gui/splash_window.h"
#include "gui/tip_of_the_day_dialog.h"

using namespace orvande;
using namespace orvande::gui;

namespace {

using RecordingOpener = orvande::test::RecordingLinkOpener;

// Runs `fill` on the modal dialog that the next call opens, then accepts it.
template <typename Dialog, typename Fill>
void WhenModalOpens(Fill fill) {
  QTimer::singleShot(0, [fill] {
    auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    fill(*dialog);
    dialog->accept();
  });
}

}  // namespace

class StartupWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void tipOfTheDayCyclesTipsAndStoresTheCheckBox();
  void settingsSheetRoundTripsItsValues();
  void aboutBoxAndLinkCommandsOfTheFrame();
  void splashClosesAtTheFirstKeyPress();

 private:
  std::unique_ptr<test::TempFolder> folder_;
  std::unique_ptr<AppEnvironment> environment_;
  test::ScriptedPrompter prompter_;
};

void StartupWindowsTest::init() {
  folder_ = std::make_unique<test::TempFolder>("gui-startup");
  StartupOptions options;
  options.settingsFolder = (folder_->Path() / "settings").string();
  options.homeFolder = folder_->Path().string();
  options.debugLogPath = (folder_->Path() / "_log.txt").string();
  environment_ = std::make_unique<AppEnvironment>(options);
  QDir().mkpath(QStringLiteral(ORVANDE_SCREENSHOT_DIR));
}

void StartupWindowsTest::cleanup() {
  environment_.reset();
  folder_.reset();
}

void StartupWindowsTest::tipOfTheDayCyclesTipsAndStoresTheCheckBox() {
  const std::string tips = (*folder_ / "tips.txt").string();
  std::ofstream(tips) << "; comment\nFirst tip.\n\nSecond tip.\n Indented comment\nThird tip.\n";
  AppSettings& settings = environment_->Settings();
  {
    TipOfTheDayDialog dialog(tips, settings, prompter_, nullptr);
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8(TipOfTheDayDialog::kTitle));
    QCOMPARE(dialog.TipText(), QStringLiteral("First tip."));
    for (const char* next : {"Second tip.", "Third tip.", "First tip.", "Second tip."}) {
      QTest::mouseClick(&dialog.NextTipButton(), Qt::LeftButton);
      QCOMPARE(dialog.TipText(), QString::fromUtf8(next));
    }
    QVERIFY(dialog.ShowTipsBox().isChecked());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(gui_test::SaveScreenshot(dialog, "tip-of-the-day"));
    dialog.ShowTipsBox().setChecked(false);
    dialog.accept();
  }
  QVERIFY(!settings.ShowTips());
  // The next opening goes on after the tip shown last.
  TipOfTheDayDialog again(tips, settings, prompter_, nullptr);
  QCOMPARE(again.TipText(), QStringLiteral("Third tip."));
  QVERIFY(!again.ShowTipsBox().isChecked());
}

void StartupWindowsTest::settingsSheetRoundTripsItsValues() {
  AppSettings& settings = environment_->Settings();
  for (const MainSettingsPageValues stored :
       {MainSettingsPageValues{true, false}, MainSettingsPageValues{false, true}}) {
    StoreMainSettingsPage(stored, settings);
    bool shown = false;
    WhenModalOpens<SettingsDialog>([&](SettingsDialog& sheet) {
      QCOMPARE(sheet.windowTitle(), QString::fromUtf8(kSettingsSheetTitle));
      QCOMPARE(sheet.Pages().count(), 1);
      QCOMPARE(sheet.Pages().tabText(0), QString::fromUtf8(kMainSettingsPageTitle));
      CPageSettings& page = sheet.MainPage();
      QCOMPARE(page.RecoveryProbabilityBox().isChecked(), stored.showRecoveryProbability);
      QCOMPARE(page.MountPointPromptBox().isChecked(), stored.showMountPointPrompt);
      if (stored.showRecoveryProbability) QVERIFY(gui_test::SaveScreenshot(sheet, "settings"));
      page.RecoveryProbabilityBox().click();
      page.MountPointPromptBox().click();
      shown = true;
    });
    QVERIFY(ShowSettingsSheet(settings, nullptr));
    QVERIFY(shown);
    const MainSettingsPageValues now = LoadMainSettingsPage(settings);
    QCOMPARE(now.showRecoveryProbability, !stored.showRecoveryProbability);
    QCOMPARE(now.showMountPointPrompt, !stored.showMountPointPrompt);
  }
  // Cancel keeps what was stored.
  SettingsDialog sheet(settings, nullptr);
  sheet.MainPage().RecoveryProbabilityBox().click();
  sheet.reject();
  QCOMPARE(LoadMainSettingsPage(settings).showRecoveryProbability, true);
}

void StartupWindowsTest::aboutBoxAndLinkCommandsOfTheFrame() {
  CMainFrame frame(*environment_, &prompter_);
  RecordingOpener opener;
  frame.SetLinkOpener(opener);
  bool shown = false;
  WhenModalOpens<AboutDialog>([&](AboutDialog& about) {
    QCOMPARE(about.windowTitle(), QString::fromUtf8(kAboutTitle));
    const AboutBoxText text = MakeAboutBoxText();
    QCOMPARE(about.Texts(), QStringList({QString::fromStdString(text.programName),
                                         QStringLiteral("Version ") +
                                             QString::fromStdString(ProgramVersion()),
                                         QString::fromStdString(text.buildDate),
                                         QString::fromStdString(ProductWebSite())}));
    QVERIFY(gui_test::SaveScreenshot(about, "about"));
    emit about.WebSiteLink().linkActivated(QString::fromStdString(ProductWebSite()));
    shown = true;
  });
  frame.RunCommand(command::kAbout);
  QVERIFY(shown);
  QCOMPARE(opener.opened, std::vector<std::string>{ProductWebSite()});

  frame.RunCommand(command::kHelpContents);
  const QUrl help(QString::fromStdString(opener.opened.back()));
  QVERIFY(help.isLocalFile());
  QVERIFY2(QFileInfo(help.toLocalFile()).isFile(), qPrintable(help.toString()));
  frame.RunCommand(command::kRequestForSupport);
  QVERIFY(opener.opened.back().starts_with("mailto:"));
}

void StartupWindowsTest::splashClosesAtTheFirstKeyPress() {
  SplashWindow splash;
  splash.show();
  QVERIFY(QTest::qWaitForWindowExposed(&splash));
  QVERIFY(gui_test::SaveScreenshot(splash, "splash"));
  QWidget other;
  QTest::keyClick(&other, Qt::Key_A);
  QVERIFY(!splash.isVisible());
}

namespace {
[[maybe_unused]] const bool registered = gui_suites::Register<StartupWindowsTest>("startup_windows");
}  // namespace

#include "startup_windows_test.moc"
