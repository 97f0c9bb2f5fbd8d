#include "app/frame_state.h"

#include "app/frame_commands.h"
#include "disk/device_node.h"

namespace orvande {

SelectedDeviceKind SelectedDeviceKindOf(const DeviceNode* node) {
  if (node == nullptr) return SelectedDeviceKind::kNone;
  switch (node->GetKind()) {
    case kNodeLogicalDrive:
      return SelectedDeviceKind::kLogicalDrive;
    case kNodeImageFile:
      return SelectedDeviceKind::kImageFile;
    case kNodePartition:
      return SelectedDeviceKind::kPartition;
    default:
      return SelectedDeviceKind::kOther;
  }
}

bool IsCommandEnabled(uint32_t commandId, const FrameState& state) {
  using namespace command;
  switch (commandId) {
    case kAnalyze:
      return state.selectedDevice != SelectedDeviceKind::kNone && !state.workerRunning &&
             !state.recovering;
    case kStop:
      return state.workerRunning || state.UnstoppedRecovery();
    case kFilter:
      return !state.workerRunning && !state.UnstoppedRecovery();
    case kRecover:
      return state.recoverSelection && !state.recovering;
    case kStopRecovering:
      return state.UnstoppedRecovery();
    case kFindFile:
      return state.filesTreeHasNodes;
    case kFindNext:
      return !state.lastSearchTextEmpty;
    case kOpenDiskImage:
    case kFindPartitions:
      return !state.workerRunning;
    case kSaveDiskImage:
      return !state.workerRunning && (state.selectedDevice == SelectedDeviceKind::kLogicalDrive ||
                                      state.selectedDevice == SelectedDeviceKind::kImageFile ||
                                      state.selectedDevice == SelectedDeviceKind::kPartition);
    case kAnalyzePartition:
      return state.itemsTreeAllowsAnalysis;
    case kView:
      // An analysed volume whose analyzer no worker holds.
      return state.filesTreeHasNodes && !state.workerRunning;
    case kTipOfTheDay:
    case kWebSite:
    case kRequestForSupport:
    case kSettings:
    case kHelpContents:
    case kAbout:
    case kExit:
    case kToolbar:
    case kStatusBar:
      return true;
    default:
      return false;
  }
}

bool IsCommandChecked(uint32_t commandId, const FrameState& state) {
  return commandId == command::kFilter && state.filterOn;
}

FrameStatus CurrentFrameStatus(const FrameState& state) {
  if (state.filtering) return FrameStatus::kFiltering;
  if (state.searching) return FrameStatus::kSearching;
  if (state.imageThreadRunning) return FrameStatus::kWritingImage;
  if (state.workerRunning)
    return state.scanRunning ? FrameStatus::kScanning : FrameStatus::kAnalyzing;
  if (state.recovering)
    return state.stopRecoveryRequested ? FrameStatus::kStoppingRecovery : FrameStatus::kRecovering;
  return FrameStatus::kIdle;
}

const char* FrameStateName(FrameStatus status) {
  switch (status) {
    case FrameStatus::kIdle:
      return "idle";
    case FrameStatus::kAnalyzing:
      return "analyzing";
    case FrameStatus::kScanning:
      return "scanning";
    case FrameStatus::kRecovering:
      return "recovering";
    case FrameStatus::kStoppingRecovery:
      return "stopping recovery";
    case FrameStatus::kWritingImage:
      return "writing image";
    case FrameStatus::kSearching:
      return "searching";
    case FrameStatus::kFiltering:
      return "filtering";
  }
  return "";
}

}  // namespace orvande
