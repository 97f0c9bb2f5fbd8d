#include "app/recovery_plan.h"

#include <utility>

#include "core/safe_names.h"

namespace orvande {

std::string DestinationRoot(std::string folder) {
  const size_t first = folder.find_first_not_of(" \t");
  const size_t last = folder.find_last_not_of(" \t");
  folder = first == std::string::npos ? std::string() : folder.substr(first, last - first + 1);
  if (!folder.empty() && folder.back() != '/') folder.push_back('/');
  return folder;
}

std::string NodeFolderPath(const FolderTree& tree, TreeNode node) {
  std::vector<std::string> names;
  for (TreeNode at = node; at != kNoNode; at = tree.Parent(at)) {
    std::string text = tree.Text(at);
    if (!text.empty() && text != ".") names.push_back(MakeSafeName(text).name);
  }
  std::string path;
  for (auto it = names.rbegin(); it != names.rend(); ++it) path.append(*it).push_back('/');
  return path;
}

RecoveryPlan::RecoveryPlan(const FolderTree& tree, std::string destinationRoot)
    : tree_(tree), root_(std::move(destinationRoot)) {}

void RecoveryPlan::AddChosen(const ChosenItems& chosen, bool keepPlace) {
  for (TreeNode folder : chosen.folders) {
    std::string destination = root_;
    if (keepPlace) destination += NodeFolderPath(tree_, tree_.Parent(folder));
    AddEntry(destination, 0, false, RecoverySelectionEntry::Folder(folder));
  }
  for (const ChosenFile& file : chosen.files) {
    std::string destination = root_;
    if (keepPlace) destination += NodeFolderPath(tree_, file.folderNode);
    AddEntry(destination, file.folderId, true,
             RecoverySelectionEntry::File(file.fileId, file.name));
  }
}

void RecoveryPlan::AddEntry(const std::string& destination, uint32_t folderId, bool isFile,
                            RecoverySelectionEntry entry) {
  const bool fits = !jobs_.empty() && jobs_.back().destination == destination &&
                    (!isFile || !jobs_.back().hasFiles || jobs_.back().shownFolderId == folderId);
  if (!fits) jobs_.push_back({destination, 0, false, {}});
  RecoveryJobPlan& job = jobs_.back();
  if (isFile) {
    job.hasFiles = true;
    job.shownFolderId = folderId;
  }
  job.selection.push_back(std::move(entry));
}

}  // namespace orvande
