#include "app/tree_selection.h"

#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"

namespace orvande {
namespace {

constexpr char kVolumeRootText[] = ".";

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    if (!part.empty() && part != kVolumeRootText) parts.push_back(std::move(part));
    start = slash + 1;
  }
  return parts;
}

char FoldedAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameName(const std::string& a, std::string_view b, bool ignoreCase) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const bool same = ignoreCase ? FoldedAscii(a[i]) == FoldedAscii(b[i]) : a[i] == b[i];
    if (!same) return false;
  }
  return true;
}

// The nodes one level below parent in path terms: the top level sees through the volume root.
std::vector<TreeNode> PathChildren(const FolderTree& tree, TreeNode parent) {
  if (parent != kNoNode) return tree.Children(parent);
  std::vector<TreeNode> level;
  for (TreeNode node : tree.Children(kNoNode)) {
    if (tree.Text(node) == kVolumeRootText) {
      std::vector<TreeNode> inside = tree.Children(node);
      level.insert(level.end(), inside.begin(), inside.end());
    } else {
      level.push_back(node);
    }
  }
  return level;
}

TreeNode VolumeRoot(const FolderTree& tree) {
  for (TreeNode node : tree.Children(kNoNode)) {
    if (tree.Text(node) == kVolumeRootText) return node;
  }
  return kNoNode;
}

// Every folder node of that path, level by level.
std::vector<TreeNode> FoldersOf(const FolderTree& tree, const std::vector<std::string>& parts,
                                bool ignoreCase) {
  if (parts.empty()) {
    TreeNode root = VolumeRoot(tree);
    return root == kNoNode ? std::vector<TreeNode>{} : std::vector<TreeNode>{root};
  }
  std::vector<TreeNode> level{kNoNode};
  for (const std::string& part : parts) {
    std::vector<TreeNode> next;
    for (TreeNode parent : level) {
      for (TreeNode child : PathChildren(tree, parent)) {
        if (SameName(part, tree.Text(child), ignoreCase)) next.push_back(child);
      }
    }
    level = std::move(next);
    if (level.empty()) break;
  }
  return level;
}

// Walks every folder node of the tree, parents before children, without recursion.
template <class Visit>
void ForEachNode(const FolderTree& tree, Visit visit) {
  std::vector<TreeNode> pending = tree.Children(kNoNode);
  std::vector<TreeNode> order(pending.rbegin(), pending.rend());
  while (!order.empty()) {
    TreeNode node = order.back();
    order.pop_back();
    visit(node);
    std::vector<TreeNode> children = tree.Children(node);
    order.insert(order.end(), children.rbegin(), children.rend());
  }
}

}  // namespace

ChosenItems ChooseByPath(const FolderTree& tree, const ItemStore& store, ReadWriteLock& storeLock,
                         const std::string& path, bool ignoreCase) {
  ChosenItems chosen;
  std::vector<std::string> parts = SplitPath(path);
  chosen.folders = FoldersOf(tree, parts, ignoreCase);
  if (!chosen.folders.empty() || parts.empty()) return chosen;
  const std::string fileName = parts.back();
  parts.pop_back();
  for (TreeNode parent : FoldersOf(tree, parts, ignoreCase)) {
    FolderRef folder = store.FindRef(tree.Data(parent));
    if (!folder) continue;
    ReadLockGuard hold(storeLock);
    for (const FileRecord& record : folder->Files()) {
      if (SameName(fileName, record.Name(), ignoreCase))
        chosen.files.push_back({parent, folder->Id(), record.id, std::string(record.Name())});
    }
  }
  return chosen;
}

ChosenItems ChooseById(const FolderTree& tree, const ItemStore& store, ReadWriteLock& storeLock,
                       uint32_t id) {
  ChosenItems chosen;
  ForEachNode(tree, [&](TreeNode node) {
    const uint32_t folderId = tree.Data(node);
    if (folderId == id && tree.Text(node) != kVolumeRootText) chosen.folders.push_back(node);
    FolderRef folder = store.FindRef(folderId);
    if (!folder) return;
    ReadLockGuard hold(storeLock);
    for (const FileRecord& record : folder->Files()) {
      if (record.id == id)
        chosen.files.push_back({node, folder->Id(), record.id, std::string(record.Name())});
    }
  });
  return chosen;
}

ChosenItems ChooseEverything(const FolderTree& tree) {
  ChosenItems chosen;
  chosen.folders = tree.Children(kNoNode);
  return chosen;
}

}  // namespace orvande
