#pragma once
// The files tree shown to Qt's views: a mirror of the engine's FolderTree kept on the
// user-interface thread. The tree tells its observer about changes on the analysis worker; those
// are queued in order and reach the mirror in batches, so the views only ever see nodes the
// mirror has announced with beginInsertRows/endInsertRows, and a worker adding thousands of
// folders costs the views a few row ranges instead of one event per folder. Taking a batch walks
// the children of each parent that got new ones, so batches follow each other no closer than a
// short interval: a parent with thousands of children is not walked once per new child.
// The model itself is used from the user-interface thread only; its observer callbacks may come
// from any thread.
#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QTimer>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/folder_tree.h"

namespace orvande::gui {

class FilesTreeModel final : public QAbstractItemModel, private FolderTreeObserver {
  Q_OBJECT

 public:
  explicit FilesTreeModel(FolderTree& tree, QObject* parent = nullptr);
  ~FilesTreeModel() override;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  TreeNode NodeAt(const QModelIndex& index) const;
  QModelIndex IndexOf(TreeNode node) const;
  // The mirror holds at least one node.
  bool HasNodes() const { return !children_[kNoNode].empty(); }
  // Takes the changes waiting for the next batch now (the analysis has ended, for example).
  void Flush() { ApplyPending(); }

 signals:
  // The row of node is about to go, before any view hears of it: a view whose current row is
  // inside it lets go of it, so that no sibling takes its place as the current one.
  void NodeAboutToBeRemoved(const QModelIndex& node);

 private:
  void NodeInserted(TreeNode parent, TreeNode node) override;
  void NodeRemoved(TreeNode parent, TreeNode node) override;
  void NodeChanged(TreeNode node) override;
  void Invalidated() override;

  // One observer call waiting for the user-interface thread.
  struct Change {
    enum Kind { kInserted, kRemoved, kChanged, kInvalidated } kind;
    TreeNode parent;
    TreeNode node;
  };
  // Queues a change; the first one after a batch was taken schedules the next batch.
  void Queue(Change change);
  // On the user-interface thread: the batch is taken now, or when the interval since the last
  // one has passed.
  void ScheduleBatch();
  void ApplyPending();
  // Inserts arrived in a row: each parent's new children are shown in the tree's order.
  void MirrorInserts(const std::vector<Change>& inserts);
  void MirrorInsertsUnder(TreeNode parent, const std::unordered_set<TreeNode>& added);
  void MirrorRemove(TreeNode node);
  // Changes arrived in a row: one repaint request per parent over the changed rows' span.
  void MirrorChanges(const std::vector<Change>& changes);
  void MirrorInvalidated();
  void Rebuild();
  void ForgetSubtree(TreeNode node);
  bool Mirrored(TreeNode node) const { return node == kNoNode || parents_.count(node) != 0; }
  int RowOf(TreeNode node) const;
  // A parent's children were inserted or removed: their rows are counted again when next asked.
  void SiblingsChanged(TreeNode parent) { rowIndex_.erase(parent); }

  FolderTree& tree_;
  // Children in the views' order, by parent (kNoNode: the top level), and each node's parent.
  mutable std::unordered_map<TreeNode, std::vector<TreeNode>> children_;
  std::unordered_map<TreeNode, TreeNode> parents_;
  // Each node's row among its siblings, by parent; made when first asked after a change, so a
  // view asking for many indexes under a parent with thousands of children does not search.
  mutable std::unordered_map<TreeNode, std::unordered_map<TreeNode, int>> rowIndex_;

  std::mutex pendingMutex_;
  std::vector<Change> pending_;   // in the order the tree made them
  bool batchScheduled_ = false;  // a queued ScheduleBatch or the timer will take pending_
  QTimer* batchTimer_ = nullptr;
  QElapsedTimer sinceBatch_;
};

}  // namespace orvande::gui
