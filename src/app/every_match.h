#pragma once
// Every folder and file of a built files tree that a query matches, in tree order, found the way
// a user finds them: Find at the first node, then Find next until the search comes round again.
// The file list is stood in for by one that shows the files of a folder in their order. Used by
// one thread at a time, while no worker changes the tree.
#include <cstdint>
#include <string>
#include <vector>

#include "core/folder_tree.h"

namespace orvande {

class ItemStore;
class ReadWriteLock;
struct NameQuery;

struct MatchedItem {
  TreeNode folderNode = kNoNode;  // the folder found, or the folder that holds the file
  bool file = false;
  uint32_t fileId = 0;   // files only
  std::string fileName;  // files only
};

std::vector<MatchedItem> FindEveryMatch(const FolderTree& tree, const ItemStore& store,
                                        ReadWriteLock& storeLock, const NameQuery& query);

}  // namespace orvande
