#pragma once
// orvande-cli recover SOURCE --out DIR [PATH...] [--all-files] [--structure] [--streams]
//                    [--on-exists ask|replace|skip|rename] [--replace-char C] [--yes]
// Analyses the volume, then writes the chosen folders and files under DIR with the recovery job.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/folder_tree.h"

namespace orvande {
class ItemStore;
class ReadWriteLock;
}  // namespace orvande

namespace orvande::cli {

std::unique_ptr<Command> MakeRecoverCommand();

// One PATH of the command line found in the files tree: a folder node, or the files of a folder
// that carry that name.
struct ResolvedPath {
  std::string path;               // as given, without a leading "./" or a final '/'
  TreeNode folderNode = kNoNode;  // a folder PATH
  TreeNode parentNode = kNoNode;  // the node of the folder that holds the files (a file PATH)
  uint32_t parentFolderId = 0;
  std::vector<uint32_t> fileIds;  // the matching files (several when deleted and live share a name)
  std::string fileName;
  bool found = false;
};

// Looks PATH up as analyze prints it: the node texts from the volume root down joined by '/',
// the root "." left out. A folder of that path wins over a file of the same path. An empty PATH
// (or ".") is the volume root.
ResolvedPath ResolveTreePath(const FolderTree& tree, const ItemStore& store,
                             ReadWriteLock& storeLock, const std::string& path);

// True when writing into `outputFolder` could overwrite the block device `source` (the same
// device, or a partition of the same disk). False for image files and for anything unknown.
bool OutputOnSourceDevice(const std::string& source, const std::string& outputFolder);

}  // namespace orvande::cli
