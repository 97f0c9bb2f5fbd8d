#pragma once
// The recovery jobs of the front ends: each job's folder is made, its context filled from the
// plan and the run's setup, and the job started on a thread of its own. The run holds the frame's
// recovering flag (cleared by the job at its end) and stop-recovery request (polled by the job).
// Started, waited for and stopped from the user-interface thread; the flags are atomic.
#include <cstddef>
#include <functional>
#include <string>

#include "app/recovery_plan.h"
#include "app/worker_thread.h"
#include "core/file_name_policy.h"
#include "core/stop_flag.h"

namespace orvande {

class DeviceNode;
class ItemStore;
class NotifySink;
class ProgressBar;
class Prompter;
class ReadWriteLock;
class RecordFilter;
class UiWait;
class WrittenFiles;

// What every job of a run shares. The pointers must outlive the jobs; those marked optional may
// be null.
struct RecoveryJobSetup {
  DeviceNode* deviceNode = nullptr;  // each job makes its own analyzer from it
  ItemStore* itemStore = nullptr;
  FolderTree* folderTree = nullptr;
  ReadWriteLock* storeLock = nullptr;
  bool recoverStreams = false;
  bool recoverAllFiles = false;
  bool deletedOnlyFilter = false;
  bool skipOverwritten = false;
  // The job's replacement for the unknown first character of names; empty: asked.
  std::string replacementCharacter;
  // How the job's folder is made: its longest path, the replacement for an unknown first
  // character in its names, and how many leading bytes are the user's own destination.
  size_t folderCapacity = kMaxPathBytes;
  std::string folderReplacement;
  size_t keptPrefix = 0;
  const RecordFilter* filter = nullptr;  // optional
  WrittenFiles* writtenFiles = nullptr;  // optional
  RecoveryListener* listener = nullptr;  // optional
  ProgressBar* progressBar = nullptr;    // optional
  NotifySink* notifySink = nullptr;      // optional
  Prompter* prompter = nullptr;          // messages and questions of the job; null: standard error
};

enum class JobStart {
  kStarted,
  kFolderFailed,   // the job's folder could not be made (the log was shown)
  kFolderSkipped,  // the user skipped the folder, or all, in its name dialog
  kThreadFailed,   // no thread could be started; the job is gone
  kBusy,           // a job still runs
};

class RecoveryRun {
 public:
  RecoveryRun() = default;
  RecoveryRun(const RecoveryRun&) = delete;
  RecoveryRun& operator=(const RecoveryRun&) = delete;
  // Waits for a job still running (ask it to stop first).
  ~RecoveryRun() = default;

  // Makes plan.destination (changed in place to the names used) and starts the job with the
  // plan's selection, which moves into it. beforeStart, when given, sees the filled job just
  // before its thread starts.
  JobStart StartJob(RecoveryJobPlan& plan, const RecoveryJobSetup& setup,
                    const std::function<void(const RecoveryContext&)>& beforeStart = nullptr);
  // Waits until the job's thread is gone; false when the wait ended early (quitting).
  bool WaitForJob(UiWait& wait);
  // Asks the running job to stop and waits, in 100 ms steps, until it has ended.
  void StopRecovering(UiWait& wait);
  void ClearStopRequest() { stopRequest_.store(0); }

  StopFlag& StopRequest() { return stopRequest_; }
  bool StopWasRequested() const { return StopRequested(&stopRequest_); }
  bool Recovering() const { return StopRequested(&recovering_); }
  // Set while a job runs; the job clears it as its last act.
  StopFlag& RecoveringFlag() { return recovering_; }

 private:
  StopFlag stopRequest_{0};
  StopFlag recovering_{0};
  WorkerThread thread_;
};

}  // namespace orvande
