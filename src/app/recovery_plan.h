#pragma once
// Planning a recovery: where it writes, and how the chosen folders and files are grouped into
// jobs (a job has one destination, and its files all come from one folder). Pure values over a
// built files tree; used by one thread at a time.
#include <cstdint>
#include <string>
#include <vector>

#include "app/tree_selection.h"
#include "core/folder_tree.h"
#include "core/recovery_context.h"

namespace orvande {

// The output folder as the user typed it, trimmed of blanks and ending with '/' (unless empty).
std::string DestinationRoot(std::string folder);

// The folders from the volume root down to node (inclusive), each text that is neither empty nor
// "." made a safe name and followed by '/'; empty for kNoNode.
std::string NodeFolderPath(const FolderTree& tree, TreeNode node);

// Entries that one job takes: they share a destination and, for files, the folder they are in.
struct RecoveryJobPlan {
  std::string destination;     // ends with '/'
  uint32_t shownFolderId = 0;  // the folder the job's files are in
  bool hasFiles = false;
  std::vector<RecoverySelectionEntry> selection;
};

class RecoveryPlan {
 public:
  RecoveryPlan(const FolderTree& tree, std::string destinationRoot);

  // Adds the chosen folders, then the chosen files. With keepPlace each is written under the
  // folders that lead to it; otherwise straight under the destination root.
  void AddChosen(const ChosenItems& chosen, bool keepPlace);
  // Adds one entry to the last job when it fits there, else to a new job.
  void AddEntry(const std::string& destination, uint32_t folderId, bool isFile,
                RecoverySelectionEntry entry);

  const std::string& Root() const { return root_; }
  std::vector<RecoveryJobPlan>& Jobs() { return jobs_; }

 private:
  const FolderTree& tree_;
  std::string root_;
  std::vector<RecoveryJobPlan> jobs_;
};

}  // namespace orvande
