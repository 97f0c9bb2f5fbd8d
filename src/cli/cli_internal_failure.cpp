#include "cli/cli_internal_failure.h"

#include <mutex>
#include <string>

namespace orvande::cli {
namespace {

// Reports may come from a worker thread while the command's thread writes too.
std::mutex g_errMutex;

}  // namespace

CliInternalFailureReporter::CliInternalFailureReporter(std::ostream& err,
                                                       const DeviceNode* selected)
    : err_(err), selected_(selected) {
  SetActiveInternalFailureReporter(this);
}

CliInternalFailureReporter::~CliInternalFailureReporter() {
  SetActiveInternalFailureReporter(nullptr);
}

void CliInternalFailureReporter::OfferCrashReport(std::string_view text) {
  std::lock_guard<std::mutex> lock(g_errMutex);
  err_ << "orvande-cli: internal failure, please report: " << text << '\n';
  err_.flush();
}

}  // namespace orvande::cli
