#pragma once
// The CLI's side of the internal-failure port: while a command works on a source, that source is
// the selected node, and a failure report is printed on the error stream (there is no crash
// reporter to hand it to). The scope installs the reporter for its lifetime; one command at a
// time, on the command's thread.
#include <ostream>
#include <string_view>

#include "core/internal_failure.h"

namespace orvande::cli {

class CliInternalFailureReporter final : public InternalFailureReporter {
 public:
  CliInternalFailureReporter(std::ostream& err, const DeviceNode* selected);
  ~CliInternalFailureReporter() override;
  CliInternalFailureReporter(const CliInternalFailureReporter&) = delete;
  CliInternalFailureReporter& operator=(const CliInternalFailureReporter&) = delete;

  const DeviceNode* SelectedNode() const override { return selected_; }
  void OfferCrashReport(std::string_view text) override;

 private:
  std::ostream& err_;
  const DeviceNode* selected_;
};

}  // namespace orvande::cli
