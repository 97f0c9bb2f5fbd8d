#pragma once
// The Recover command of the file list and of the files tree, from the point where the Recover
// dialog has given the output folder (trimmed, ending with '/') and the options: the job's folder
// is made and the job started. User-interface thread only.
#include <cstdint>
#include <string>
#include <vector>

#include "app/recovery_run.h"

namespace orvande {

// The views' folder rules: paths up to this length, and a name's unknown first character kept.
inline constexpr size_t kViewFolderCapacity = 1024;
inline constexpr char kViewFolderReplacement = '?';

// The rows selected in the list of the shown folder, in list order (a folder row by its node, a
// file row by its id and name). With restoreStructure the shown folder's path is kept below the
// output folder.
JobStart RecoverFromList(RecoveryRun& run, RecoveryJobSetup setup, const std::string& outputFolder,
                         bool restoreStructure, TreeNode shownNode, uint32_t shownFolderId,
                         std::vector<RecoverySelectionEntry> rows);

// The selected files-tree node with its subtree. With restoreStructure the folders that lead to
// it are kept below the output folder.
JobStart RecoverFromTree(RecoveryRun& run, RecoveryJobSetup setup, const std::string& outputFolder,
                         bool restoreStructure, TreeNode node);

}  // namespace orvande
