#include "app/tree_filter.h"

#include "app/frame_ports.h"
#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr char kVolumeRootText[] = ".";

// Images 0 and 1: an ordinary folder with nothing deleted below it.
bool IsOrdinary(uint32_t image) {
  return image < 2;
}

// Calls visit(parent, child) for every node reached from the top level through nodes that hold
// deleted content; iterative because a damaged volume can nest deeper than the stack allows.
template <typename Visit>
void WalkThroughHoldsDeleted(const FolderTree& tree, Visit visit) {
  std::vector<TreeNode> pending{kNoNode};
  while (!pending.empty()) {
    const TreeNode parent = pending.back();
    pending.pop_back();
    for (TreeNode child : tree.Children(parent)) {
      visit(parent, child);
      if (tree.IsValid(child) && tree.Image(child) == kImageHoldsDeleted) pending.push_back(child);
    }
  }
}

}  // namespace

FilesTreeFilter::FilesTreeFilter(FolderTree& tree, ItemStore& store, ReadWriteLock& storeLock,
                                 ShownNode& shown, StatusTextSink* status)
    : tree_(tree), store_(store), storeLock_(storeLock), shown_(shown), status_(status) {}

bool FilesTreeFilter::Toggle() {
  if (on_) {
    TurnOff();
  } else {
    TurnOn();
  }
  return on_;
}

void FilesTreeFilter::TurnOn() {
  if (on_) return;
  on_ = true;
  tree_.SetRedraw(false);
  ShowStatus(strings::kFiltering);
  saved_.clear();
  HideOrdinaryFolders();
  MarkFolders(true);
  ShowStatus("");
  tree_.SetRedraw(true);
  ForgetInvalidShownFolder();
}

void FilesTreeFilter::TurnOff() {
  if (!on_) return;
  on_ = false;
  tree_.SetRedraw(false);
  ShowStatus(strings::kTurnOffFilter);
  MarkFolders(false);
  RestoreSavedNodes();
  saved_.clear();
  ShowStatus("");
  tree_.SetRedraw(true);
  ForgetInvalidShownFolder();
}

void FilesTreeFilter::HideOrdinaryFolders() {
  WalkThroughHoldsDeleted(tree_, [this](TreeNode parent, TreeNode child) {
    if (!IsOrdinary(tree_.Image(child))) return;
    if (shown_.load() == child) shown_.store(kNoNode);
    SaveSubtree(parent, child);
    // Keeps each folder's list of nodes true, so that lookups by node still work.
    FolderItem::RemoveSubtree(child, tree_, store_, /*dropEmptyFolders=*/false);
  });
}

void FilesTreeFilter::SaveSubtree(TreeNode parent, TreeNode top) {
  std::vector<std::pair<TreeNode, size_t>> pending{{top, 0}};
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    const std::optional<TreeNodeInfo> info = tree_.Info(node);
    if (!info) continue;
    saved_.push_back({depth == 0 ? parent : kNoNode, depth, info->text, info->image, info->data});
    const std::vector<TreeNode> children = tree_.Children(node);
    for (auto it = children.rbegin(); it != children.rend(); ++it)
      pending.emplace_back(*it, depth + 1);
  }
}

void FilesTreeFilter::RestoreSavedNodes() {
  // made[d]: the node just re-created at depth d, the parent of the saved nodes at depth d + 1.
  std::vector<TreeNode> made;
  for (const SavedNode& saved : saved_) {
    TreeNode node = kNoNode;
    if (saved.depth == 0) {
      const bool volumeRoot = saved.parent == kNoNode && saved.text == kVolumeRootText;
      node = Restore(saved, saved.parent, volumeRoot ? InsertPlace::kFirst : InsertPlace::kSorted);
    } else if (saved.depth <= made.size() && made[saved.depth - 1] != kNoNode) {
      node = Restore(saved, made[saved.depth - 1], InsertPlace::kLast);
    }
    // A parent that could not come back takes its subtree with it.
    made.resize(saved.depth + 1);
    made[saved.depth] = node;
  }
}

TreeNode FilesTreeFilter::Restore(const SavedNode& saved, TreeNode parent, InsertPlace place) {
  const TreeNode node = tree_.Insert(parent, place, saved.text, saved.image, saved.data);
  if (node == kNoNode) return kNoNode;
  if (FolderRef folder = store_.FindRef(saved.data)) folder->AddNode(node);
  return node;
}

void FilesTreeFilter::MarkFolders(bool filtered) {
  WalkThroughHoldsDeleted(tree_, [this, filtered](TreeNode, TreeNode child) {
    if (tree_.Image(child) != kImageHoldsDeleted) return;
    FolderRef folder = store_.FindRef(tree_.Data(child));
    if (!folder) return;
    WriteLockGuard hold(storeLock_);
    folder->SetFilter(filtered);
  });
}

void FilesTreeFilter::ShowStatus(const std::string& text) {
  if (status_ != nullptr) status_->ShowStatusText(text);
}

void FilesTreeFilter::ForgetInvalidShownFolder() {
  const TreeNode shown = shown_.load();
  if (shown != kNoNode && !tree_.IsValid(shown)) shown_.store(kNoNode);
}

}  // namespace orvande
