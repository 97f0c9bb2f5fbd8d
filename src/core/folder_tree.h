#pragma once
// The files tree: folder names and their hierarchy, shown in the left pane. Thread-safe: every
// operation takes the tree's one mutex, so the analysis worker can build it while the user
// interface reads it.
//
// Node handles are never reused (not even after DeleteAll), so a stale handle is simply invalid:
// every getter answers a default value for it and every setter does nothing and returns false.
// A deleted node keeps a small empty slot until DeleteAll, the price of never reusing handles.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvande {

// A node handle; it fits the wParam/lParam of the notify messages. kNoNode stands for none and,
// as a parent, for the invisible root above the top-level nodes.
using TreeNode = uintptr_t;
inline constexpr TreeNode kNoNode = 0;

// The node whose files the file list shows; written by the user interface, read by workers.
using ShownNode = std::atomic<TreeNode>;

// Node images (one index serves as normal and selected image).
inline constexpr uint32_t kImageFolder = 1;
inline constexpr uint32_t kImageDeletedFolder = 3;  // kImageFolder + 2
inline constexpr uint32_t kImageHoldsDeleted = 4;   // an ordinary folder with deleted content below

// Where Insert places a node among its new siblings.
enum class InsertPlace {
  kFirst,
  kLast,
  kSorted,  // alphabetical, ASCII case-insensitive; after the siblings that compare equal
};

struct TreeNodeInfo {
  std::string text;
  uint32_t image = 0;
  uint32_t data = 0;
  bool expanded = false;
  TreeNode parent = kNoNode;
};

// What an observer is told after a change, outside the tree's mutex (so it may call the tree).
class FolderTreeObserver {
 public:
  virtual ~FolderTreeObserver() = default;
  virtual void NodeInserted(TreeNode parent, TreeNode node) = 0;
  // The node (and its subtree) is gone; the handles are already invalid.
  virtual void NodeRemoved(TreeNode parent, TreeNode node) = 0;
  // Text, image or expanded state changed.
  virtual void NodeChanged(TreeNode node) = 0;
  // Repaint everything: Invalidate, redraw switched back on, DeleteAll.
  virtual void Invalidated() = 0;
};

class FolderTree {
 public:
  FolderTree();
  ~FolderTree();
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  // Inserts a node under parent (kNoNode: top level). Returns kNoNode when the parent is not a
  // valid node.
  TreeNode Insert(TreeNode parent, InsertPlace place, std::string_view text, uint32_t image,
                  uint32_t data);
  // Inserts right after the sibling `after`; when `after` is not a child of parent, last.
  TreeNode InsertAfter(TreeNode parent, TreeNode after, std::string_view text, uint32_t image,
                       uint32_t data);

  bool IsValid(TreeNode node) const;
  std::string Text(TreeNode node) const;
  bool SetText(TreeNode node, std::string_view text);
  uint32_t Image(TreeNode node) const;
  bool SetImage(TreeNode node, uint32_t image);
  uint32_t Data(TreeNode node) const;
  std::optional<TreeNodeInfo> Info(TreeNode node) const;

  // FirstChild(kNoNode) is the first top-level node.
  TreeNode FirstChild(TreeNode node) const;
  TreeNode NextSibling(TreeNode node) const;
  TreeNode Parent(TreeNode node) const;
  // A snapshot of the children in order; Children(kNoNode) lists the top level.
  std::vector<TreeNode> Children(TreeNode node) const;
  bool HasChildren(TreeNode node) const;

  // Deletes the node with its subtree. A deleted selected node leaves no selection.
  bool Delete(TreeNode node);
  // Deletes every node.
  void DeleteAll();
  size_t Count() const;

  bool Expand(TreeNode node, bool expand = true);
  bool IsExpanded(TreeNode node) const;

  TreeNode Selected() const;
  // kNoNode clears the selection; an invalid node is refused.
  bool Select(TreeNode node);

  // Redraw off/on as a flag; switching it back on invalidates the tree.
  void SetRedraw(bool on);
  bool RedrawEnabled() const;
  void Invalidate();
  // How many times the tree was invalidated (a repaint was asked for).
  uint64_t InvalidateCount() const;

  // The node texts from the top down joined by '/', leaving out a top-level "." (a volume
  // root): "a/b/c". Empty for the root itself or an invalid node.
  std::string PathOf(TreeNode node) const;

  // One observer at most; null removes it. Must outlive its registration.
  void SetObserver(FolderTreeObserver* observer);

 private:
  struct Slot;

  Slot* Find(TreeNode node);
  const Slot* Find(TreeNode node) const;
  // One field of a node's slot, or fallback for an invalid node.
  template <typename T>
  T FieldOf(TreeNode node, T Slot::*field, T fallback) const;
  // Sets one field of a node's slot and tells the observer; false for an invalid node.
  template <typename T>
  bool SetField(TreeNode node, T Slot::*field, T value);
  std::vector<TreeNode>* ChildList(TreeNode parent);
  size_t IndexInParent(TreeNode node, const std::vector<TreeNode>& siblings) const;
  size_t SortedPosition(const std::vector<TreeNode>& siblings, std::string_view text) const;
  TreeNode NewNode(TreeNode parent, std::string_view text, uint32_t image, uint32_t data);
  // Adds a child of parent where choosePosition(siblings) says, then tells the observers.
  template <typename ChoosePosition>
  TreeNode InsertChild(TreeNode parent, std::string_view text, uint32_t image, uint32_t data,
                       ChoosePosition choosePosition);
  void DeleteLocked(TreeNode node);
  void NotifyInserted(TreeNode parent, TreeNode node);
  void NotifyRemoved(TreeNode parent, TreeNode node);
  void NotifyChanged(TreeNode node);
  void NotifyInvalidated();

  mutable std::mutex mutex_;
  std::vector<Slot> slots_;  // slot i holds handle firstHandle_ + i
  TreeNode firstHandle_ = 1;
  std::vector<TreeNode> top_;  // top-level nodes in order
  size_t count_ = 0;
  TreeNode selected_ = kNoNode;
  bool redraw_ = true;
  uint64_t invalidateCount_ = 0;
  std::atomic<FolderTreeObserver*> observer_{nullptr};
};

}  // namespace orvande
