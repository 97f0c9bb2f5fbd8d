#pragma once
// The process's crash handler: on a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) it
// records the processor state, writes the crash report and its record file, starts the consent
// process (which asks the user whether to mail the report) and waits for it, then lets the
// signal take its course: the previous handler, or the default action. Everything the handler
// needs is prepared at installation, so that it runs only async-signal-safe code, on an alternate
// stack: the installing thread gets one, every other thread makes a ThreadCrashStack when it
// starts. A fault on another thread while the first one is being reported waits for that report.
// Install and Uninstall belong to the main thread at start-up and exit.
#include <string>
#include <vector>

namespace orvande::platform {

struct CrashHandlerSetup {
  std::string reportPath;  // the record file goes beside it (CrashRecordPath)
  std::string osText;
  std::string programPath;
  std::string additionalText;
  // The consent process's program and arguments; the report path is added as the last
  // argument. Empty: nobody is asked.
  std::vector<std::string> consentCommand;
};

// Installs the handler for the fatal signals, keeping the actions it replaces; sets the offer
// flag. A second Install replaces the setup.
void InstallCrashHandler(const CrashHandlerSetup& setup);
// Puts the previous actions back.
void UninstallCrashHandler();
bool CrashHandlerInstalled();

// The running program's own file, for the report and the consent command; empty when unknown.
std::string CurrentProgramPath();

// Sets where the next report is written.
void SetCrashReportPath(const std::string& path);

}  // namespace orvande::platform
