#include "core/folder_item.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <optional>
#include <utility>

#include "core/item_store.h"

namespace orvande {

namespace {

uint32_t FolderImage(bool deleted) {
  return deleted ? kImageDeletedFolder : kImageFolder;
}

bool ShownIs(const ShownNode* shown, TreeNode node) {
  return shown != nullptr && node != kNoNode && shown->load() == node;
}

// Whether `node` is `ancestor` or lies below it.
bool IsInSubtree(const FolderTree& tree, TreeNode node, TreeNode ancestor) {
  for (TreeNode n = node; n != kNoNode; n = tree.Parent(n)) {
    if (n == ancestor) return true;
  }
  return false;
}

}  // namespace

FolderItem::FolderItem(uint32_t id) : id_(id) {}

FolderItem::FolderItem(uint32_t id, const ItemLocation& location) : id_(id), location_(location) {}

FolderItem::~FolderItem() = default;

void FolderItem::AddRef() {
  refs_.fetch_add(1, std::memory_order_relaxed);
}

void FolderItem::Release() {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

// ---- Files

bool FolderItem::AddFile(uint32_t id, const ItemLocation& location, const char* name, uint64_t size,
                         uint64_t created, uint64_t modified, uint8_t deleted) {
  if (name == nullptr) return false;
  try {
    // Grows by a quarter instead of doubling: with millions of records the unused tail of
    // every folder's list is a large share of the memory. Moving records is cheap.
    if (files_.size() == files_.capacity()) files_.reserve(files_.size() + files_.size() / 4 + 1);
    files_.emplace_back(id, location, name, size, created, modified, deleted);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

const FileRecord* FolderItem::FindRecord(uint32_t fileId) const {
  auto it = std::find_if(files_.begin(), files_.end(),
                         [fileId](const FileRecord& r) { return r.id == fileId; });
  return it != files_.end() ? &*it : nullptr;
}

FileRecord* FolderItem::FindRecord(uint32_t fileId) {
  return const_cast<FileRecord*>(std::as_const(*this).FindRecord(fileId));
}

bool FolderItem::FindFile(uint32_t fileId, ItemLocation* location, uint64_t* size) const {
  const FileRecord* record = FindRecord(fileId);
  if (record == nullptr) return false;
  if (location != nullptr) *location = record->location;
  if (size != nullptr) *size = record->size;
  return true;
}

void FolderItem::SetFileProbability(uint32_t fileId, uint32_t value) {
  if (FileRecord* record = FindRecord(fileId)) record->probability = static_cast<uint8_t>(value);
}

bool FolderItem::SetFileLocation(uint32_t fileId, const ItemLocation& location) {
  FileRecord* record = FindRecord(fileId);
  if (record == nullptr) return false;
  record->location = location;
  return true;
}

bool FolderItem::HasDeletedFiles() const {
  return std::any_of(files_.begin(), files_.end(),
                     [](const FileRecord& r) { return r.deleted != 0; });
}

void FolderItem::SetFilter(bool on) {
  for (FileRecord& r : files_) r.hidden = (on && r.deleted == 0) ? 1 : 0;
}

// ---- Nodes

bool FolderItem::AddNode(TreeNode node) {
  if (node == kNoNode) return true;
  try {
    if (nodeList_ == nullptr) {
      if (node_ == kNoNode) {
        node_ = node;
        return true;
      }
      nodeList_ = std::make_unique<std::vector<TreeNode>>(std::vector<TreeNode>{node_, node});
      node_ = kNoNode;
      return true;
    }
    nodeList_->push_back(node);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void FolderItem::RemoveNode(TreeNode node) {
  if (node == kNoNode) return;
  if (nodeList_ == nullptr) {
    if (node_ == node) node_ = kNoNode;
    return;
  }
  auto it = std::find(nodeList_->begin(), nodeList_->end(), node);
  if (it != nodeList_->end()) nodeList_->erase(it);
}

bool FolderItem::HasNode(TreeNode node) const {
  if (node == kNoNode) return false;
  if (nodeList_ == nullptr) return node_ == node;
  return std::find(nodeList_->begin(), nodeList_->end(), node) != nodeList_->end();
}

bool FolderItem::HasNoNodes() const {
  return FirstNode() == kNoNode;
}

TreeNode FolderItem::FirstNode() const {
  if (nodeList_ == nullptr) return node_;
  for (TreeNode n : *nodeList_) {
    if (n != kNoNode) return n;
  }
  return kNoNode;
}

std::vector<TreeNode> FolderItem::Nodes() const {
  std::vector<TreeNode> nodes;
  if (nodeList_ == nullptr) {
    if (node_ != kNoNode) nodes.push_back(node_);
    return nodes;
  }
  std::copy_if(nodeList_->begin(), nodeList_->end(), std::back_inserter(nodes),
               [](TreeNode n) { return n != kNoNode; });
  return nodes;
}

size_t FolderItem::NodeCount() const {
  if (nodeList_ == nullptr) return node_ != kNoNode ? 1 : 0;
  return static_cast<size_t>(
      std::count_if(nodeList_->begin(), nodeList_->end(), [](TreeNode n) { return n != kNoNode; }));
}

TreeNode FolderItem::InsertAtTop(std::string_view name, bool deleted, FolderTree& tree,
                                 TreeNode insertAfter) {
  const uint32_t image = FolderImage(deleted);
  const TreeNode node = insertAfter != kNoNode
                            ? tree.InsertAfter(kNoNode, insertAfter, name, image, id_)
                            : tree.Insert(kNoNode, InsertPlace::kLast, name, image, id_);
  if (node != kNoNode) AddNode(node);
  return node;
}

TreeNode FolderItem::InsertUnder(std::string_view name, bool deleted, FolderItem* parent,
                                 FolderTree& tree, const ShownNode* shown, NotifySink* notify) {
  if (parent == nullptr) return kNoNode;
  TreeNode last = kNoNode;
  for (TreeNode parentNode : parent->Nodes()) {
    const TreeNode node =
        tree.Insert(parentNode, InsertPlace::kSorted, name, FolderImage(deleted), id_);
    if (node == kNoNode) return kNoNode;
    AddNode(node);
    if (notify != nullptr && ShownIs(shown, parentNode))
      notify->Send(kMsgFolderChanged, parentNode, node);
    last = node;
  }
  return last;
}

void FolderItem::MarkContainsDeleted(FolderTree& tree, NotifySink* notify, const ShownNode* shown) {
  for (TreeNode start : Nodes()) {
    for (TreeNode node = start; node != kNoNode;) {
      if (tree.Image(node) == kImageFolder) tree.SetImage(node, kImageHoldsDeleted);
      const TreeNode parent = tree.Parent(node);
      if (notify != nullptr && ShownIs(shown, parent))
        notify->Send(kMsgFolderImageChanged, parent, node);
      node = parent;
    }
  }
}

TreeNode FolderItem::SetTopName(std::string_view name, bool deleted, FolderTree& tree,
                                NotifySink* notify, const ShownNode* shown) {
  const size_t count = NodeCount();
  if (count > 1) return kNoNode;
  if (count == 0) return InsertAtTop(name, deleted, tree, kNoNode);
  const TreeNode node = FirstNode();
  tree.SetText(node, name);
  if (!deleted) tree.SetImage(node, kImageFolder);
  bool childMarked = false;
  for (TreeNode child = tree.FirstChild(node); child != kNoNode && !childMarked;
       child = tree.NextSibling(child)) {
    const uint32_t image = tree.Image(child);
    childMarked = image == kImageHoldsDeleted || image == kImageDeletedFolder;
  }
  if (childMarked || HasDeletedFiles()) MarkContainsDeleted(tree, notify, shown);
  return node;
}

uint32_t FolderItem::MovedImage(bool deleted, const FolderTree& tree) const {
  if (deleted) return kImageDeletedFolder;
  const TreeNode node = FirstNode();
  for (TreeNode child = tree.FirstChild(node); child != kNoNode; child = tree.NextSibling(child)) {
    const uint32_t image = tree.Image(child);
    // 2 is the other image of a deleted folder.
    if (image == kImageHoldsDeleted || image == kImageDeletedFolder || image == 2) {
      return kImageHoldsDeleted;
    }
  }
  return HasDeletedFiles() ? kImageHoldsDeleted : kImageFolder;
}

bool FolderItem::MoveTo(std::string_view newName, bool deleted, FolderItem* newParent,
                        FolderTree& tree, ItemStore& store, const ShownNode* shown,
                        NotifySink* notify) {
  if (newParent == nullptr) return SetTopName(newName, deleted, tree, notify, shown) != kNoNode;
  if (NodeCount() != 1) return false;
  const TreeNode old = FirstNode();
  const uint32_t image = MovedImage(deleted, tree);
  std::vector<TreeNode> targets = newParent->Nodes();
  std::erase_if(targets, [&tree](TreeNode t) { return !tree.IsValid(t); });
  // A parent without nodes, or one inside this very subtree (a damaged volume can say so),
  // would make the folder vanish from the tree: it stays where it is, renamed.
  const bool cycle = std::any_of(targets.begin(), targets.end(),
                                 [&](TreeNode t) { return IsInSubtree(tree, t, old); });
  if (targets.empty() || cycle) {
    tree.SetText(old, newName);
    tree.SetImage(old, image);
    return false;
  }
  tree.SetImage(old, image);
  if (image == kImageHoldsDeleted || deleted) newParent->MarkContainsDeleted(tree, notify, shown);
  for (TreeNode target : targets) {
    TreeNode made = kNoNode;
    CopySubtree(old, target, newName, tree, store, &made);
    if (made != kNoNode && notify != nullptr && ShownIs(shown, target)) {
      notify->Send(kMsgFolderChanged, target, made);
    }
  }
  RemoveSubtree(old, tree, store, false);
  return true;
}

void FolderItem::CopySubtree(TreeNode from, TreeNode toParent, std::string_view text,
                             FolderTree& tree, ItemStore& store, TreeNode* made) {
  const std::optional<TreeNodeInfo> top = tree.Info(from);
  if (!top) return;
  const TreeNode copy = tree.Insert(toParent, InsertPlace::kSorted, text, top->image, top->data);
  *made = copy;
  if (copy == kNoNode) return;
  if (top->expanded) tree.Expand(copy);
  AddNode(copy);
  // Iterative: nesting on a damaged volume can be deeper than the stack allows.
  std::vector<std::pair<TreeNode, TreeNode>> pending{{from, copy}};
  while (!pending.empty()) {
    const auto [source, target] = pending.back();
    pending.pop_back();
    for (TreeNode child : tree.Children(source)) {
      const std::optional<TreeNodeInfo> info = tree.Info(child);
      if (!info) continue;
      // Children are already in order: appending keeps it.
      const TreeNode childCopy =
          tree.Insert(target, InsertPlace::kLast, info->text, info->image, info->data);
      if (childCopy == kNoNode) continue;
      if (info->expanded) tree.Expand(childCopy);
      FolderRef folder(store.Find(info->data));
      if (folder) folder->AddNode(childCopy);
      pending.emplace_back(child, childCopy);
    }
  }
}

void FolderItem::RemoveSubtree(TreeNode node, FolderTree& tree, ItemStore& store,
                               bool dropEmptyFolders) {
  // Children before their parents: the reverse of a pre-order walk.
  std::vector<TreeNode> order;
  std::vector<TreeNode> pending{node};
  while (!pending.empty()) {
    const TreeNode current = pending.back();
    pending.pop_back();
    order.push_back(current);
    const std::vector<TreeNode> children = tree.Children(current);
    pending.insert(pending.end(), children.begin(), children.end());
  }
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    const uint32_t id = tree.Data(*it);
    FolderRef folder(store.Find(id));
    if (folder) {
      folder->RemoveNode(*it);
      if (dropEmptyFolders && folder->HasNoNodes()) store.Remove(id, folder.get());
    }
  }
  tree.Delete(node);
}

// ---- FolderRef

FolderRef& FolderRef::operator=(FolderRef&& other) noexcept {
  if (this != &other) reset(other.release());
  return *this;
}

void FolderRef::reset(FolderItem* adopted) {
  FolderItem* old = folder_;
  folder_ = adopted;
  if (old != nullptr) old->Release();
}

FolderItem* FolderRef::release() {
  FolderItem* folder = folder_;
  folder_ = nullptr;
  return folder;
}

}  // namespace orvande
