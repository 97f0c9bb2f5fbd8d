#include "app/view_recovery.h"

#include <utility>

namespace orvande {
namespace {

JobStart StartViewJob(RecoveryRun& run, RecoveryJobSetup& setup, const std::string& outputFolder,
                      RecoveryJobPlan& plan) {
  setup.folderCapacity = kViewFolderCapacity;
  setup.folderReplacement.assign(1, kViewFolderReplacement);
  setup.keptPrefix = outputFolder.size();
  // A running job's stop request is its own; only a new job starts with a clear one.
  if (run.Recovering()) return JobStart::kBusy;
  run.ClearStopRequest();
  return run.StartJob(plan, setup);
}

}  // namespace

JobStart RecoverFromList(RecoveryRun& run, RecoveryJobSetup setup, const std::string& outputFolder,
                         bool restoreStructure, TreeNode shownNode, uint32_t shownFolderId,
                         std::vector<RecoverySelectionEntry> rows) {
  RecoveryJobPlan plan;
  plan.destination = outputFolder;
  if (restoreStructure && setup.folderTree != nullptr)
    plan.destination += NodeFolderPath(*setup.folderTree, shownNode);
  plan.shownFolderId = shownFolderId;
  plan.selection = std::move(rows);
  return StartViewJob(run, setup, outputFolder, plan);
}

JobStart RecoverFromTree(RecoveryRun& run, RecoveryJobSetup setup, const std::string& outputFolder,
                         bool restoreStructure, TreeNode node) {
  RecoveryJobPlan plan;
  plan.destination = outputFolder;
  // The node's own folder is made by the job; only the folders above it come from here.
  if (restoreStructure && setup.folderTree != nullptr)
    plan.destination += NodeFolderPath(*setup.folderTree, setup.folderTree->Parent(node));
  plan.selection.push_back(RecoverySelectionEntry::Folder(node));
  return StartViewJob(run, setup, outputFolder, plan);
}

}  // namespace orvande
