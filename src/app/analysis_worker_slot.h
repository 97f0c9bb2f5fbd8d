#pragma once
// The frame's worker slot filled by the analysis operation: what the main frame's controller
// starts and stops when it analyses a volume. The frame is the operation's listener (it shows the
// status texts itself). Used from the user-interface thread only.
#include "app/main_frame_ports.h"
#include "app/volume_analysis.h"

namespace orvande {

class AnalysisWorkerSlot final : public FrameWorker {
 public:
  // ports.listener is the frame that reacts to the worker's start and end; `wait` is the
  // user-interface thread's wait used when a running worker must be stopped first.
  AnalysisWorkerSlot(VolumeAnalysis& analysis, const AnalysisPorts& ports, UiWait& wait)
      : analysis_(analysis), ports_(ports), wait_(wait) {}

  // The frame is made after the slot it drives; it becomes the listener here.
  void SetListener(AnalysisListener* listener) { ports_.listener = listener; }

  bool WorkerRunning() const override { return analysis_.WorkerRunning(); }
  void StopWorker(UiWait& wait) override { analysis_.StopWorker(wait); }
  bool StartAnalysis(DeviceNode* node) override { return analysis_.Start(node, ports_, wait_); }

 private:
  VolumeAnalysis& analysis_;
  AnalysisPorts ports_;
  UiWait& wait_;
};

}  // namespace orvande
