#pragma once
// The main frame's logic without its widgets: the flags that tell what runs, the state the
// enabling rules read, and the commands Analyze, Stop, Stop recovering and Close, the status text
// and the analysis worker's start and end. Its methods run on the user-interface thread, except
// the flags (atomic; the recovery job, the image worker and the analysis worker touch them) and
// the status text and AnalysisListener calls, which workers make from their threads.
#include <atomic>
#include <cstdint>
#include <string>

#include "app/frame_ports.h"
#include "app/frame_state.h"
#include "app/frame_status_text.h"
#include "app/main_frame_ports.h"
#include "app/recovery_run.h"
#include "core/stop_flag.h"
#include "support/format.h"
#include "support/prompter.h"

namespace orvande {

struct MainFramePorts {
  FrameWorker& worker;
  FrameViews& views;
  MountPointCheck& mountPoints;
  FrameFindState& find;
  StatusTextSink& statusText;
  Prompter& prompter;
};

class MainFrameController final : public AnalysisListener {
 public:
  explicit MainFrameController(const MainFramePorts& ports);

  FrameState CurrentState() const;
  bool IsEnabled(uint32_t commandId) const { return IsCommandEnabled(commandId, CurrentState()); }

  // Analyze (32771): false when nothing was started.
  bool Analyze();
  // Stop (32772): a recovery that was not asked to stop yet is asked now; otherwise the worker.
  void Stop(UiWait& wait);
  // Stop recovering (32782): asks the recovery to stop and waits until it has ended, or until
  // the wait reports that the program is quitting.
  void StopRecovering(UiWait& wait);
  // The window's close request and Exit: true when the frame may close. Refused, with a message,
  // while anything runs that must not be cut off.
  bool RequestClose(UiWait& wait);

  void SetStatusText(const char* format, ...) ORVANDE_PRINTF(2, 3);
  void ClearStatusText() { statusText_.Clear(); }
  // The kept text, which answers the idle prompt of pane 0.
  std::string StatusText() const { return statusText_.Text(); }
  FrameStatusText& StatusTextKeeper() { return statusText_; }

  // The recovery job's flags: the view clears the request and sets the running flag before it
  // starts the job (PrepareRecovery); the job clears the running flag at its end.
  void PrepareRecovery();
  StopFlag& RecoveringFlag() { return recovery_.RecoveringFlag(); }
  const StopFlag& StopRecoveryRequest() { return recovery_.StopRequest(); }
  // The recovery jobs the views start; their flags are the frame's.
  RecoveryRun& Recovery() { return recovery_; }

  void SetImageThreadRunning(bool running) { imageThreadRunning_ = running; }
  void SetFiltering(bool filtering) { filtering_ = filtering; }
  void SetFilterOn(bool on) { filterOn_ = on; }
  bool FilterOn() const { return filterOn_; }

  // The device node last chosen for analysis; null before the first.
  DeviceNode* CurrentDevice() const { return currentDevice_; }

  void AnalysisStarting() override;
  void AnalysisEnded(uint32_t status) override;

 private:
  bool UnstoppedRecovery() const;
  bool MustNotClose() const;

  MainFramePorts ports_;
  FrameStatusText statusText_;
  DeviceNode* currentDevice_ = nullptr;
  RecoveryRun recovery_;
  std::atomic<bool> imageThreadRunning_{false};
  std::atomic<bool> filtering_{false};
  std::atomic<bool> filterOn_{false};
};

}  // namespace orvande
