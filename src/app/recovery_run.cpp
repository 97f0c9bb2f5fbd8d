#include "app/recovery_run.h"

#include <memory>
#include <utility>

#include "app/frame_ports.h"
#include "support/prompter.h"
#include "core/folder_path.h"
#include "core/recovery_context.h"
#include "core/recovery_writer.h"
#include "support/operation_log.h"

namespace orvande {
namespace {

std::unique_ptr<RecoveryContext> MakeJob(RecoveryJobPlan& plan, const RecoveryJobSetup& setup) {
  auto job = std::make_unique<RecoveryContext>();
  job->deviceNode = setup.deviceNode;
  job->itemStore = setup.itemStore;
  job->folderTree = setup.folderTree;
  job->storeLock = setup.storeLock;
  job->recoverStreams = setup.recoverStreams;
  job->recoverAllFiles = setup.recoverAllFiles;
  job->deletedOnlyFilter = setup.deletedOnlyFilter;
  job->skipOverwritten = setup.skipOverwritten;
  job->replacementCharacter = setup.replacementCharacter;
  job->filter = setup.filter;
  job->writtenFiles = setup.writtenFiles;
  job->listener = setup.listener;
  job->prompter = setup.prompter;
  job->progressBar = setup.progressBar;
  job->notifySink = setup.notifySink;
  job->destination = plan.destination;
  job->shownFolderId = plan.shownFolderId;
  job->selection = std::move(plan.selection);
  return job;
}

}  // namespace

JobStart RecoveryRun::StartJob(RecoveryJobPlan& plan, const RecoveryJobSetup& setup,
                               const std::function<void(const RecoveryContext&)>& beforeStart) {
  if (Recovering() || !thread_.Done()) return JobStart::kBusy;
  OperationLog folderLog;
  bool skipped = false;
  bool stopped = false;
  std::string replacement = setup.folderReplacement;
  if (!CreateFolderPath(plan.destination, setup.folderCapacity, /*report=*/true, &skipped, &stopped,
                        &replacement, &folderLog, PrompterOrDefault(setup.prompter),
                        setup.keptPrefix)) {
    folderLog.Show(PrompterOrDefault(setup.prompter));
    return JobStart::kFolderFailed;
  }
  if (skipped || stopped) return JobStart::kFolderSkipped;

  std::unique_ptr<RecoveryContext> job = MakeJob(plan, setup);
  job->stop = &stopRequest_;
  job->running = &recovering_;
  if (beforeStart) beforeStart(*job);
  recovering_.store(1);
  if (thread_.Launch([owned = std::move(job)]() mutable { RunRecoveryJob(std::move(owned)); }))
    return JobStart::kStarted;
  // The job went with the thread that could not start.
  recovering_.store(0);
  return JobStart::kThreadFailed;
}

bool RecoveryRun::WaitForJob(UiWait& wait) {
  return thread_.WaitUntilDone(wait);
}

void RecoveryRun::StopRecovering(UiWait& wait) {
  stopRequest_.store(1);
  while (Recovering()) {
    if (!wait.WaitStep(WorkerThread::kWaitStep)) return;
  }
}

}  // namespace orvande
