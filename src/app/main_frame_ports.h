#pragma once
// What the main frame's controller needs from the parts around it: the worker that analyses, the
// views that show the result, the mount-point check and the find state. Each is implemented by
// the front end (or the app layer's own jobs) and by doubles in tests.
#include "app/frame_ports.h"

namespace orvande {

class DeviceNode;

// The analysis (or lost-partition) worker slot; one worker at a time. Used from the
// user-interface thread only.
class FrameWorker {
 public:
  virtual ~FrameWorker() = default;
  virtual bool WorkerRunning() const = 0;
  // The lost-partition scan shares the slot; until it runs through this interface, a running
  // worker is the analysis.
  virtual bool ScanRunning() const { return false; }
  // Asks the running worker to stop and waits through `wait` until it has; nothing when none runs.
  virtual void StopWorker(UiWait& wait) = 0;
  // Stops a running worker first, makes the two analyzers for node and starts the worker. The
  // failures have been shown when it returns false.
  virtual bool StartAnalysis(DeviceNode* node) = 0;
};

// The left column and the file list as the frame steers them. Called on the user-interface
// thread, except EnableDeviceToolBar (see there).
class FrameViews {
 public:
  virtual ~FrameViews() = default;
  // The device drop-down's selected entry; null when none.
  virtual DeviceNode* SelectedDevice() const = 0;
  virtual bool FilesTreeHasNodes() const = 0;
  // The view that has the focus has a row or node selected to recover.
  virtual bool HasRecoverSelection() const = 0;
  // The items tree's node under its menu is a device that can be analysed.
  virtual bool ItemsTreeAllowsAnalysis() const = 0;

  virtual void SetViewsRedraw(bool on) = 0;  // file list and files tree together
  virtual void EmptyFileListAndFilesTree() = 0;
  // The drop-down keeps its selected entry as the analysed one.
  virtual void RecordAnalyzedEntry() = 0;
  virtual void ShowFilesTree() = 0;
  // The left column's tool bar with the device drop-down. Called on the analysis worker's thread;
  // returns once the user-interface thread has applied it.
  virtual void EnableDeviceToolBar(bool enabled) = 0;
};

// The check of a logical drive's mount points before it is analysed. Used from the
// user-interface thread only.
class MountPointCheck {
 public:
  virtual ~MountPointCheck() = default;
  // False when the user chose to stop analysing.
  virtual bool CheckMountPoints(DeviceNode& node) = 0;
};

// The Find commands' state, as far as the frame's rules read it. Used from the user-interface
// thread only.
class FrameFindState {
 public:
  virtual ~FrameFindState() = default;
  virtual bool SearchBusy() const = 0;
  virtual bool LastSearchTextEmpty() const = 0;
};

}  // namespace orvande
