// The consent box of the crash reporter, shown for a crash and for an internal failure.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

#include "core/internal_failure.h"
#include "gui/crash_consent.h"
#include "gui_suites.h"
#include "window_test_helpers.h"
#include "app/crash_mail.h"

using namespace orvande;
using namespace orvande::gui;

class CrashReportTest : public QObject {
  Q_OBJECT

 private slots:
  void consentBoxAsksYesOrNoWithTheErrorIcon() {
    CrashConsentBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowTitle(), QStringLiteral("Orvande"));
    QCOMPARE(box.text(), QString::fromUtf8(kCrashConsentText));
    QCOMPARE(box.icon(), QMessageBox::Critical);
    QCOMPARE(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
    QDir().mkpath(QStringLiteral(ORVANDE_SCREENSHOT_DIR));
    QVERIFY(gui_test::SaveScreenshot(box, "crash-consent-box"));
  }

  // The engine's internal failures come to the same box; No ends the offer.
  void internalFailureShowsTheConsentBox() {
    QWidget window;
    window.show();
    GuiInternalFailureReporter reporter(&window, [] { return nullptr; });
    QString seen;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&seen, &answer] {
      auto* box = qobject_cast<CrashConsentBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      answer.stop();
      seen = box->text();
      box->button(QMessageBox::No)->click();
    });
    answer.start(20);
    ReportInternalFailure("NVI163");
    QCOMPARE(seen, QString::fromUtf8(kCrashConsentText));
  }
};

[[maybe_unused]] const bool registered = gui_suites::Register<CrashReportTest>("crash_report");

#include "crash_report_test.moc"
