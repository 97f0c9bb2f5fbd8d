// orvande [IMAGE]: the desktop program; an image file named on the command line is listed and
// selected in the device drop-down.
#include <QApplication>
#include <QTimer>
#include <string>
#include <vector>

#include "app/app_environment.h"
#include "app/crash_reporter.h"
#include "app/debug_switch.h"
#include "app/engine_setup.h"
#include "app/frame_commands.h"
#include "gui/crash_consent.h"
#include "gui/main_frame.h"
#include "gui/splash_window.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  orvande::StartupOptions options;
  for (int i = 1; i < argc; ++i) options.arguments.emplace_back(argv[i]);
  // Started by a crashed instance: only the consent box for its report.
  const std::string crashReport = orvande::CrashReportArgument(options.arguments);
  if (!crashReport.empty()) return orvande::gui::RunCrashReportConsent(crashReport);
  orvande::CrashReporter crashReporter;
  orvande::AppEnvironment environment(options);
  if (environment.Settings().ShowSplash()) orvande::gui::SplashWindow::ShowAtStartUp();
  orvande::PrepareEngine();

  orvande::gui::CMainFrame frame(environment);
  orvande::gui::GuiInternalFailureReporter failureReporter(
      &frame, [&frame]() -> const orvande::DeviceNode* { return frame.CurrentDevice(); });
  for (const std::string& argument : options.arguments) {
    if (orvande::IsDebugSwitch(argument)) continue;
    frame.AddImageFile(QString::fromStdString(argument));
    break;
  }
  frame.show();
  // Posted, so that the frame is drawn before the tip asks for attention.
  if (environment.Settings().ShowTips())
    QTimer::singleShot(0, &frame, [&frame] { frame.RunCommand(orvande::command::kTipOfTheDay); });
  const int status = application.exec();
  environment.Exit();
  return status;
}
