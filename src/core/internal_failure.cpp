#include "core/internal_failure.h"

#include <atomic>
#include <cstdio>

#include "disk/device_node.h"

namespace orvande {
namespace {

// Used until a front end sets its own: nobody to offer a report to, so the text goes to stderr.
class StderrReporter final : public InternalFailureReporter {
 public:
  const DeviceNode* SelectedNode() const override { return nullptr; }
  void OfferCrashReport(std::string_view text) override {
    std::string line(text);
    line.push_back('\n');
    std::fputs(line.c_str(), stderr);
  }
};

StderrReporter g_defaultReporter;
std::atomic<InternalFailureReporter*> g_activeReporter{nullptr};

}  // namespace

InternalFailureReporter& ActiveInternalFailureReporter() {
  InternalFailureReporter* reporter = g_activeReporter.load(std::memory_order_acquire);
  return reporter != nullptr ? *reporter : g_defaultReporter;
}

void SetActiveInternalFailureReporter(InternalFailureReporter* reporter) {
  g_activeReporter.store(reporter, std::memory_order_release);
}

std::string InternalFailureText(std::string_view code, const DeviceNode* selected) {
  std::string text(code);
  if (selected == nullptr) return text;
  const char letter = selected->GetDriveLetter();
  text.push_back(' ');
  text.push_back(letter != 0 ? letter : '0');
  text.push_back(' ');
  text.append(selected->GetName());
  return text;
}

void ReportInternalFailure(std::string_view code) {
  InternalFailureReporter& reporter = ActiveInternalFailureReporter();
  reporter.OfferCrashReport(InternalFailureText(code, reporter.SelectedNode()));
}

}  // namespace orvande
