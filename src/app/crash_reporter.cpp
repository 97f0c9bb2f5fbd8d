#include "app/crash_reporter.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/crash_handler.h"
#include "platform/user_folders.h"
#include "support/formatters.h"

namespace orvande {
namespace {

std::string ConsentProgram(const CrashReporterOptions& options) {
  if (!options.consentProgram.empty()) return options.consentProgram;
  const char* configured = std::getenv(kConsentCommandVariable);
  if (configured != nullptr && configured[0] != '\0') return configured;
  return platform::CurrentProgramPath();
}

}  // namespace

std::string DefaultCrashReportFolder() {
  const std::string state = platform::UserStateFolder();
  return state.empty() ? std::string() : state + "/orvande";
}

CrashReporter::CrashReporter(const CrashReporterOptions& options) {
  const std::string folder =
      options.reportFolder.empty() ? DefaultCrashReportFolder() : options.reportFolder;
  // Without a folder of the user's own, the only place left is a shared one, where another user
  // could make the report's name first: no report then.
  if (folder.empty()) return;
  std::error_code ignored;  // a folder that cannot be made only means no report is written
  std::filesystem::create_directories(folder, ignored);
  reportPath_ = folder + "/" + kCrashReportFileName;

  platform::CrashHandlerSetup setup;
  setup.reportPath = reportPath_;
  setup.osText = FormatOsVersion();
  setup.programPath = platform::CurrentProgramPath();
  if (options.askForConsent) {
    const std::string program = ConsentProgram(options);
    if (!program.empty()) setup.consentCommand = {program, kCrashReportSwitch};
  }
  platform::InstallCrashHandler(setup);
}

CrashReporter::~CrashReporter() {
  platform::UninstallCrashHandler();
}

std::string CrashReportArgument(const std::vector<std::string>& arguments) {
  for (size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i] == kCrashReportSwitch) return arguments[i + 1];
  }
  return std::string();
}

}  // namespace orvande
