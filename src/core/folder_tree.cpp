#include "core/folder_tree.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace orvande {

namespace {

constexpr size_t kNotFound = ~size_t{0};

unsigned char FoldCase(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Case-insensitive (ASCII) order of the tree's sorted insertion.
bool TextLess(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char ca = FoldCase(a[i]);
    const unsigned char cb = FoldCase(b[i]);
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

}  // namespace

struct FolderTree::Slot {
  std::string text;
  std::vector<TreeNode> children;
  TreeNode parent = kNoNode;
  uint32_t image = 0;
  uint32_t data = 0;
  // Where the node last was in its parent's list; checked before use, since insertions and
  // deletions of siblings shift it. Keeps NextSibling walks O(1) per step.
  mutable size_t hint = 0;
  bool alive = false;
  bool expanded = false;
};

FolderTree::FolderTree() = default;
FolderTree::~FolderTree() = default;

FolderTree::Slot* FolderTree::Find(TreeNode node) {
  if (node < firstHandle_) return nullptr;
  const TreeNode index = node - firstHandle_;
  if (index >= slots_.size() || !slots_[index].alive) return nullptr;
  return &slots_[index];
}

const FolderTree::Slot* FolderTree::Find(TreeNode node) const {
  return const_cast<FolderTree*>(this)->Find(node);
}

std::vector<TreeNode>* FolderTree::ChildList(TreeNode parent) {
  if (parent == kNoNode) return &top_;
  Slot* slot = Find(parent);
  return slot != nullptr ? &slot->children : nullptr;
}

size_t FolderTree::IndexInParent(TreeNode node, const std::vector<TreeNode>& siblings) const {
  const Slot* slot = Find(node);
  if (slot == nullptr) return kNotFound;
  if (slot->hint < siblings.size() && siblings[slot->hint] == node) return slot->hint;
  auto it = std::find(siblings.begin(), siblings.end(), node);
  if (it == siblings.end()) return kNotFound;
  slot->hint = static_cast<size_t>(it - siblings.begin());
  return slot->hint;
}

size_t FolderTree::SortedPosition(const std::vector<TreeNode>& siblings,
                                  std::string_view text) const {
  auto it = std::upper_bound(
      siblings.begin(), siblings.end(), text,
      [this](std::string_view t, TreeNode sibling) { return TextLess(t, Find(sibling)->text); });
  return static_cast<size_t>(it - siblings.begin());
}

TreeNode FolderTree::NewNode(TreeNode parent, std::string_view text, uint32_t image,
                             uint32_t data) {
  Slot slot;
  slot.text.assign(text);
  slot.parent = parent;
  slot.image = image;
  slot.data = data;
  slot.alive = true;
  slots_.push_back(std::move(slot));
  ++count_;
  return firstHandle_ + (slots_.size() - 1);
}

template <typename ChoosePosition>
TreeNode FolderTree::InsertChild(TreeNode parent, std::string_view text, uint32_t image,
                                 uint32_t data, ChoosePosition choosePosition) {
  TreeNode node = kNoNode;
  {
    std::lock_guard lock(mutex_);
    if (ChildList(parent) == nullptr) return kNoNode;
    node = NewNode(parent, text, image, data);
    // Fetched after NewNode: adding a slot may move the parent's list.
    std::vector<TreeNode>& siblings = *ChildList(parent);
    const size_t position = choosePosition(static_cast<const std::vector<TreeNode>&>(siblings));
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position), node);
    Find(node)->hint = position;
  }
  NotifyInserted(parent, node);
  return node;
}

TreeNode FolderTree::Insert(TreeNode parent, InsertPlace place, std::string_view text,
                            uint32_t image, uint32_t data) {
  return InsertChild(parent, text, image, data, [&](const std::vector<TreeNode>& siblings) {
    if (place == InsertPlace::kFirst) return size_t{0};
    if (place == InsertPlace::kSorted) return SortedPosition(siblings, text);
    return siblings.size();
  });
}

TreeNode FolderTree::InsertAfter(TreeNode parent, TreeNode after, std::string_view text,
                                 uint32_t image, uint32_t data) {
  return InsertChild(parent, text, image, data, [&](const std::vector<TreeNode>& siblings) {
    const Slot* afterSlot = Find(after);
    if (afterSlot == nullptr || afterSlot->parent != parent) return siblings.size();
    const size_t index = IndexInParent(after, siblings);
    return index != kNotFound ? index + 1 : siblings.size();
  });
}

bool FolderTree::IsValid(TreeNode node) const {
  std::lock_guard lock(mutex_);
  return Find(node) != nullptr;
}

template <typename T>
T FolderTree::FieldOf(TreeNode node, T Slot::*field, T fallback) const {
  std::lock_guard lock(mutex_);
  const Slot* slot = Find(node);
  return slot != nullptr ? slot->*field : fallback;
}

template <typename T>
bool FolderTree::SetField(TreeNode node, T Slot::*field, T value) {
  {
    std::lock_guard lock(mutex_);
    Slot* slot = Find(node);
    if (slot == nullptr) return false;
    slot->*field = std::move(value);
  }
  NotifyChanged(node);
  return true;
}

std::string FolderTree::Text(TreeNode node) const {
  return FieldOf(node, &Slot::text, std::string());
}

bool FolderTree::SetText(TreeNode node, std::string_view text) {
  return SetField(node, &Slot::text, std::string(text));
}

uint32_t FolderTree::Image(TreeNode node) const {
  return FieldOf(node, &Slot::image, 0u);
}

bool FolderTree::SetImage(TreeNode node, uint32_t image) {
  return SetField(node, &Slot::image, image);
}

uint32_t FolderTree::Data(TreeNode node) const {
  return FieldOf(node, &Slot::data, 0u);
}

std::optional<TreeNodeInfo> FolderTree::Info(TreeNode node) const {
  std::lock_guard lock(mutex_);
  const Slot* slot = Find(node);
  if (slot == nullptr) return std::nullopt;
  return TreeNodeInfo{slot->text, slot->image, slot->data, slot->expanded, slot->parent};
}

TreeNode FolderTree::FirstChild(TreeNode node) const {
  std::lock_guard lock(mutex_);
  const std::vector<TreeNode>* children = const_cast<FolderTree*>(this)->ChildList(node);
  if (children == nullptr || children->empty()) return kNoNode;
  Find(children->front())->hint = 0;
  return children->front();
}

TreeNode FolderTree::NextSibling(TreeNode node) const {
  std::lock_guard lock(mutex_);
  const Slot* slot = Find(node);
  if (slot == nullptr) return kNoNode;
  const std::vector<TreeNode>& siblings = *const_cast<FolderTree*>(this)->ChildList(slot->parent);
  const size_t index = IndexInParent(node, siblings);
  if (index == kNotFound || index + 1 >= siblings.size()) return kNoNode;
  const TreeNode next = siblings[index + 1];
  Find(next)->hint = index + 1;
  return next;
}

TreeNode FolderTree::Parent(TreeNode node) const {
  return FieldOf(node, &Slot::parent, kNoNode);
}

std::vector<TreeNode> FolderTree::Children(TreeNode node) const {
  std::lock_guard lock(mutex_);
  const std::vector<TreeNode>* children = const_cast<FolderTree*>(this)->ChildList(node);
  return children != nullptr ? *children : std::vector<TreeNode>();
}

bool FolderTree::HasChildren(TreeNode node) const {
  std::lock_guard lock(mutex_);
  const std::vector<TreeNode>* children = const_cast<FolderTree*>(this)->ChildList(node);
  return children != nullptr && !children->empty();
}

void FolderTree::DeleteLocked(TreeNode node) {
  // Iterative: a damaged volume can nest folders far deeper than the stack allows.
  std::vector<TreeNode> pending{node};
  while (!pending.empty()) {
    const TreeNode current = pending.back();
    pending.pop_back();
    Slot* slot = Find(current);
    if (slot == nullptr) continue;
    pending.insert(pending.end(), slot->children.begin(), slot->children.end());
    slot->alive = false;
    std::string().swap(slot->text);
    std::vector<TreeNode>().swap(slot->children);
    --count_;
    if (selected_ == current) selected_ = kNoNode;
  }
}

bool FolderTree::Delete(TreeNode node) {
  TreeNode parent = kNoNode;
  {
    std::lock_guard lock(mutex_);
    const Slot* slot = Find(node);
    if (slot == nullptr) return false;
    parent = slot->parent;
    std::vector<TreeNode>& siblings = *ChildList(parent);
    const size_t index = IndexInParent(node, siblings);
    if (index != kNotFound) siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(index));
    DeleteLocked(node);
  }
  NotifyRemoved(parent, node);
  return true;
}

void FolderTree::DeleteAll() {
  {
    std::lock_guard lock(mutex_);
    // Handles of the old nodes stay invalid: the next handle continues after them.
    firstHandle_ += slots_.size();
    std::vector<Slot>().swap(slots_);
    std::vector<TreeNode>().swap(top_);
    count_ = 0;
    selected_ = kNoNode;
    ++invalidateCount_;
  }
  NotifyInvalidated();
}

size_t FolderTree::Count() const {
  std::lock_guard lock(mutex_);
  return count_;
}

bool FolderTree::Expand(TreeNode node, bool expand) {
  return SetField(node, &Slot::expanded, expand);
}

bool FolderTree::IsExpanded(TreeNode node) const {
  return FieldOf(node, &Slot::expanded, false);
}

TreeNode FolderTree::Selected() const {
  std::lock_guard lock(mutex_);
  return selected_;
}

bool FolderTree::Select(TreeNode node) {
  std::lock_guard lock(mutex_);
  if (node != kNoNode && Find(node) == nullptr) return false;
  selected_ = node;
  return true;
}

void FolderTree::SetRedraw(bool on) {
  bool repaint = false;
  {
    std::lock_guard lock(mutex_);
    repaint = on && !redraw_;
    redraw_ = on;
    if (repaint) ++invalidateCount_;
  }
  if (repaint) NotifyInvalidated();
}

bool FolderTree::RedrawEnabled() const {
  std::lock_guard lock(mutex_);
  return redraw_;
}

void FolderTree::Invalidate() {
  {
    std::lock_guard lock(mutex_);
    ++invalidateCount_;
  }
  NotifyInvalidated();
}

uint64_t FolderTree::InvalidateCount() const {
  std::lock_guard lock(mutex_);
  return invalidateCount_;
}

std::string FolderTree::PathOf(TreeNode node) const {
  std::lock_guard lock(mutex_);
  std::vector<const std::string*> texts;
  for (const Slot* slot = Find(node); slot != nullptr; slot = Find(slot->parent)) {
    if (slot->parent == kNoNode && slot->text == ".") break;
    texts.push_back(&slot->text);
  }
  std::string path;
  for (auto it = texts.rbegin(); it != texts.rend(); ++it) {
    if (!path.empty()) path += '/';
    path += **it;
  }
  return path;
}

void FolderTree::SetObserver(FolderTreeObserver* observer) {
  observer_.store(observer);
}

void FolderTree::NotifyInserted(TreeNode parent, TreeNode node) {
  if (FolderTreeObserver* o = observer_.load()) o->NodeInserted(parent, node);
}

void FolderTree::NotifyRemoved(TreeNode parent, TreeNode node) {
  if (FolderTreeObserver* o = observer_.load()) o->NodeRemoved(parent, node);
}

void FolderTree::NotifyChanged(TreeNode node) {
  if (FolderTreeObserver* o = observer_.load()) o->NodeChanged(node);
}

void FolderTree::NotifyInvalidated() {
  if (FolderTreeObserver* o = observer_.load()) o->Invalidated();
}

}  // namespace orvande
