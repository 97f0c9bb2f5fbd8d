#include "app/main_frame_controller.h"

#include <cstdarg>

#include "disk/device_node.h"
#include "support/string_table.h"

namespace orvande {
namespace {

// By its kind, not its letter: volumes named by device path have no drive letter.
bool IsLogicalDrive(const DeviceNode& node) {
  return node.GetKind() == kNodeLogicalDrive;
}

}  // namespace

MainFrameController::MainFrameController(const MainFramePorts& ports)
    : ports_(ports), statusText_(ports.statusText) {}

FrameState MainFrameController::CurrentState() const {
  FrameState state;
  state.workerRunning = ports_.worker.WorkerRunning();
  state.scanRunning = state.workerRunning && ports_.worker.ScanRunning();
  state.recovering = recovery_.Recovering();
  state.stopRecoveryRequested = recovery_.StopWasRequested();
  state.imageThreadRunning = imageThreadRunning_;
  state.searching = ports_.find.SearchBusy();
  state.filtering = filtering_;
  state.filterOn = filterOn_;
  state.selectedDevice = SelectedDeviceKindOf(ports_.views.SelectedDevice());
  state.filesTreeHasNodes = ports_.views.FilesTreeHasNodes();
  state.lastSearchTextEmpty = ports_.find.LastSearchTextEmpty();
  state.recoverSelection = ports_.views.HasRecoverSelection();
  state.itemsTreeAllowsAnalysis = ports_.views.ItemsTreeAllowsAnalysis();
  return state;
}

bool MainFrameController::Analyze() {
  DeviceNode* node = ports_.views.SelectedDevice();
  // A recovery reads the tree and the items that a new analysis empties, however the command
  // came (a posted one after opening an image or choosing a partition too).
  if (node == nullptr || recovery_.Recovering()) return false;
  currentDevice_ = node;
  if (IsLogicalDrive(*node) && !ports_.mountPoints.CheckMountPoints(*node)) return false;

  FrameViews& views = ports_.views;
  views.SetViewsRedraw(false);
  views.EmptyFileListAndFilesTree();
  views.SetViewsRedraw(true);
  views.RecordAnalyzedEntry();
  views.ShowFilesTree();
  return ports_.worker.StartAnalysis(node);
}

void MainFrameController::Stop(UiWait& wait) {
  if (UnstoppedRecovery())
    StopRecovering(wait);
  else
    ports_.worker.StopWorker(wait);
}

void MainFrameController::StopRecovering(UiWait& wait) {
  recovery_.StopRecovering(wait);
}

bool MainFrameController::UnstoppedRecovery() const {
  return recovery_.Recovering() && !recovery_.StopWasRequested();
}

bool MainFrameController::MustNotClose() const {
  return ports_.worker.WorkerRunning() || UnstoppedRecovery() || imageThreadRunning_;
}

bool MainFrameController::RequestClose(UiWait& wait) {
  if (MustNotClose()) {
    ports_.prompter.ShowMessage(strings::kStopBeforeClosing, strings::kProgramTitle,
                                MessageIcon::kExclamation, MessageButtons::kOk);
    return false;
  }
  ports_.worker.StopWorker(wait);
  return true;
}

void MainFrameController::SetStatusText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  statusText_.SetV(format, args);
  va_end(args);
}

void MainFrameController::PrepareRecovery() {
  recovery_.ClearStopRequest();
  recovery_.RecoveringFlag().store(1);
}

void MainFrameController::AnalysisStarting() {
  SetStatusText("%s", strings::kAnalyzing);
  ports_.views.EnableDeviceToolBar(false);
  filterOn_ = false;
}

void MainFrameController::AnalysisEnded(uint32_t /*status*/) {
  ports_.views.EnableDeviceToolBar(true);
  ClearStatusText();
}

}  // namespace orvande
