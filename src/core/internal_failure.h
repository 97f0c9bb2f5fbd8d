#pragma once
// The port through which the engine reports an internal failure that the user should send in (a
// state the code never expects, such as an analysis started without a device). The GUI offers
// the crash report; the CLI prints the text. Implementations must be callable from worker
// threads; the process-wide setter is thread-safe.
#include <string>
#include <string_view>

namespace orvande {

class DeviceNode;

class InternalFailureReporter {
 public:
  virtual ~InternalFailureReporter() = default;
  // The device-list entry the user has selected (the source being worked on), or null.
  virtual const DeviceNode* SelectedNode() const = 0;
  // Offers the crash report for the failure described by text.
  virtual void OfferCrashReport(std::string_view text) = 0;
};

// Until a front end sets one, reports go to standard error and nothing is selected.
InternalFailureReporter& ActiveInternalFailureReporter();
void SetActiveInternalFailureReporter(InternalFailureReporter* reporter);  // null: the default

// "<code> <drive letter> <node name>" for the selected node, or the code alone when none is
// selected. A node without a drive letter shows '0'.
std::string InternalFailureText(std::string_view code, const DeviceNode* selected);

// Reports the code through the active reporter, filled with its selected node.
void ReportInternalFailure(std::string_view code);

}  // namespace orvande
