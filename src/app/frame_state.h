#pragma once
// What the main frame's enabling rules read, and the rules themselves: one function answers for
// every command, so menus, toolbar and context menus always agree. Plain values and functions of
// them; safe to use from any thread.
#include <cstdint>

namespace orvande {

class DeviceNode;

enum class SelectedDeviceKind { kNone, kLogicalDrive, kImageFile, kPartition, kOther };

// kNone for null.
SelectedDeviceKind SelectedDeviceKindOf(const DeviceNode* node);

struct FrameState {
  bool workerRunning = false;  // the analysis or the lost-partition worker
  bool scanRunning = false;    // that worker is the lost-partition scan
  bool recovering = false;
  bool stopRecoveryRequested = false;
  bool imageThreadRunning = false;
  bool searching = false;  // a Find or Find next is busy
  bool filtering = false;  // the Filter command is at work
  bool filterOn = false;
  SelectedDeviceKind selectedDevice = SelectedDeviceKind::kNone;
  bool filesTreeHasNodes = false;
  bool lastSearchTextEmpty = true;
  bool recoverSelection = false;         // the focused view has a row or node selected
  bool itemsTreeAllowsAnalysis = false;  // the items tree's node under the menu can be analysed

  // A recovery runs that nobody has asked to stop yet.
  bool UnstoppedRecovery() const { return recovering && !stopRecoveryRequested; }
};

// False for an id the frame does not know.
bool IsCommandEnabled(uint32_t commandId, const FrameState& state);
// The check mark (or pressed button) of a command; only Filter has one that the frame decides.
bool IsCommandChecked(uint32_t commandId, const FrameState& state);

enum class FrameStatus {
  kIdle,
  kAnalyzing,
  kScanning,
  kRecovering,
  kStoppingRecovery,
  kWritingImage,
  kSearching,
  kFiltering,
};

// A recovery may run beside the frame's own workers; it is named only when none of them runs,
// the frame's own operation being what its modal windows and cursor show.
FrameStatus CurrentFrameStatus(const FrameState& state);
// "idle", "analyzing", "scanning", "recovering", "stopping recovery", "writing image",
// "searching", "filtering".
const char* FrameStateName(FrameStatus status);

}  // namespace orvande
