#pragma once
// Choosing items of a built files tree the way a listing names them: by path (the node texts from
// the volume root down joined by '/', the root "." left out) or by id. What a front end then
// recovers. Reads file lists under the read side of the store lock; used by one thread at a time.
#include <cstdint>
#include <string>
#include <vector>

#include "core/folder_tree.h"

namespace orvande {

class ItemStore;
class ReadWriteLock;

struct ChosenFile {
  TreeNode folderNode = kNoNode;  // the node of the folder that holds it
  uint32_t folderId = 0;
  uint32_t fileId = 0;
  std::string name;
};

struct ChosenItems {
  std::vector<TreeNode> folders;  // in tree order
  std::vector<ChosenFile> files;  // in tree order, then in the order of their folder
  bool Empty() const { return folders.empty() && files.empty(); }
};

// Every folder that has that path; when none, every file of that path, in every folder of the
// parent path (deleted and live files may share a name, and so may deleted folders). An empty
// path, or ".", is the volume root. ignoreCase compares names as FAT does (ASCII letters).
ChosenItems ChooseByPath(const FolderTree& tree, const ItemStore& store, ReadWriteLock& storeLock,
                         const std::string& path, bool ignoreCase);

// Every folder and file with that id.
ChosenItems ChooseById(const FolderTree& tree, const ItemStore& store, ReadWriteLock& storeLock,
                       uint32_t id);

// The top-level nodes: the volume root, the lost folders and Lost&Found.
ChosenItems ChooseEverything(const FolderTree& tree);

}  // namespace orvande
