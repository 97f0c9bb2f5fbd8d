#pragma once
// The crash reporter's life in a program: made at start-up, before the first window, it
// installs the crash handler with the report in the user's state folder and the consent command
// (the desktop program run with kCrashReportSwitch); destroyed at exit, it puts the previous
// handlers back. One per process, on the main thread.
#include <string>
#include <vector>

namespace orvande {

// `orvande --crash-report FILE` shows the consent box for the report FILE and ends.
inline constexpr const char kCrashReportSwitch[] = "--crash-report";
// Names another program to run as the consent process (given kCrashReportSwitch and the report
// path), for a desktop program installed elsewhere or for tests.
inline constexpr const char kConsentCommandVariable[] = "ORVANDE_CRASH_CONSENT_COMMAND";
inline constexpr const char kCrashReportFileName[] = "CrashReport.txt";

struct CrashReporterOptions {
  std::string reportFolder;    // empty: "orvande" in the user's state folder
  std::string consentProgram;  // empty: kConsentCommandVariable, else the running program
  bool askForConsent = true;   // false: the report is written, nobody is asked
};

class CrashReporter {
 public:
  explicit CrashReporter(const CrashReporterOptions& options = {});
  ~CrashReporter();
  CrashReporter(const CrashReporter&) = delete;
  CrashReporter& operator=(const CrashReporter&) = delete;

  // Empty when the user has no state folder; nothing is installed then.
  const std::string& ReportPath() const { return reportPath_; }

 private:
  std::string reportPath_;
};

// The default report folder: $XDG_STATE_HOME/orvande (or ~/.local/state/orvande).
std::string DefaultCrashReportFolder();

// The report path when arguments (those after the program's name) ask for the consent box
// alone; empty otherwise.
std::string CrashReportArgument(const std::vector<std::string>& arguments);

}  // namespace orvande
