#include "gui/files_tree_model.h"

#include <QMetaObject>
#include <algorithm>

#include "gui/folder_icons.h"

namespace orvande::gui {
namespace {

// Long enough for the worker to add many folders between two batches, short enough to look live.
constexpr int kBatchIntervalMs = 40;

}  // namespace

FilesTreeModel::FilesTreeModel(FolderTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
  batchTimer_ = new QTimer(this);
  batchTimer_->setSingleShot(true);
  connect(batchTimer_, &QTimer::timeout, this, &FilesTreeModel::ApplyPending);
  children_[kNoNode];
  Rebuild();
  tree_.SetObserver(this);
}

FilesTreeModel::~FilesTreeModel() {
  tree_.SetObserver(nullptr);
}

QModelIndex FilesTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (column != 0 || row < 0) return {};
  auto found = children_.find(NodeAt(parent));
  if (found == children_.end() || row >= static_cast<int>(found->second.size())) return {};
  return createIndex(row, 0, static_cast<quintptr>(found->second[static_cast<size_t>(row)]));
}

QModelIndex FilesTreeModel::parent(const QModelIndex& child) const {
  auto found = parents_.find(NodeAt(child));
  if (found == parents_.end() || found->second == kNoNode) return {};
  return IndexOf(found->second);
}

int FilesTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  auto found = children_.find(NodeAt(parent));
  return found == children_.end() ? 0 : static_cast<int>(found->second.size());
}

int FilesTreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

QVariant FilesTreeModel::data(const QModelIndex& index, int role) const {
  const TreeNode node = NodeAt(index);
  if (node == kNoNode) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(tree_.Text(node));
  if (role == Qt::DecorationRole) return FolderImage(tree_.Image(node));
  return {};
}

TreeNode FilesTreeModel::NodeAt(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TreeNode>(index.internalId()) : kNoNode;
}

QModelIndex FilesTreeModel::IndexOf(TreeNode node) const {
  if (node == kNoNode || !Mirrored(node)) return {};
  return createIndex(RowOf(node), 0, static_cast<quintptr>(node));
}

int FilesTreeModel::RowOf(TreeNode node) const {
  auto parent = parents_.find(node);
  if (parent == parents_.end()) return -1;
  auto [rows, made] = rowIndex_.try_emplace(parent->second);
  if (made) {
    const std::vector<TreeNode>& siblings = children_[parent->second];
    rows->second.reserve(siblings.size());
    for (size_t row = 0; row < siblings.size(); ++row)
      rows->second.emplace(siblings[row], static_cast<int>(row));
  }
  auto at = rows->second.find(node);
  return at == rows->second.end() ? -1 : at->second;
}

// The observer's calls: queued as they are, in the tree's order.
void FilesTreeModel::NodeInserted(TreeNode parent, TreeNode node) {
  Queue({Change::kInserted, parent, node});
}

void FilesTreeModel::NodeRemoved(TreeNode, TreeNode node) {
  Queue({Change::kRemoved, kNoNode, node});
}

void FilesTreeModel::NodeChanged(TreeNode node) {
  Queue({Change::kChanged, kNoNode, node});
}

void FilesTreeModel::Invalidated() {
  Queue({Change::kInvalidated, kNoNode, kNoNode});
}

void FilesTreeModel::Queue(Change change) {
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    pending_.push_back(change);
    if (batchScheduled_) return;
    batchScheduled_ = true;
  }
  // One queued event per batch: whatever arrives until the batch is taken joins it. Whoever
  // waits for the worker's last changes (the end of the analysis) calls Flush.
  QMetaObject::invokeMethod(this, [this] { ScheduleBatch(); }, Qt::QueuedConnection);
}

void FilesTreeModel::ScheduleBatch() {
  const qint64 since = sinceBatch_.isValid() ? sinceBatch_.elapsed() : kBatchIntervalMs;
  if (since >= kBatchIntervalMs) {
    ApplyPending();
    return;
  }
  if (!batchTimer_->isActive()) batchTimer_->start(static_cast<int>(kBatchIntervalMs - since));
}

void FilesTreeModel::ApplyPending() {
  batchTimer_->stop();
  sinceBatch_.start();
  std::vector<Change> batch;
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    batch.swap(pending_);
    batchScheduled_ = false;
  }
  // Inserts and changes are each taken at once until a removal or a rebuild; a change only
  // repaints, so it may wait for the inserts of its run.
  std::vector<Change> inserts;
  std::vector<Change> changes;
  auto flush = [&] {
    MirrorInserts(inserts);
    inserts.clear();
    MirrorChanges(changes);
    changes.clear();
  };
  for (const Change& change : batch) {
    if (change.kind == Change::kInserted) {
      inserts.push_back(change);
      continue;
    }
    if (change.kind == Change::kChanged) {
      changes.push_back(change);
      continue;
    }
    flush();
    if (change.kind == Change::kRemoved)
      MirrorRemove(change.node);
    else
      MirrorInvalidated();
  }
  flush();
}

void FilesTreeModel::MirrorInserts(const std::vector<Change>& inserts) {
  // Parents in the order their first new child arrived: a new parent's own insert came earlier,
  // so it is mirrored before its children are.
  std::vector<TreeNode> parents;
  std::unordered_map<TreeNode, std::unordered_set<TreeNode>> added;
  for (const Change& change : inserts) {
    auto [entry, first] = added.try_emplace(change.parent);
    if (first) parents.push_back(change.parent);
    entry->second.insert(change.node);
  }
  for (TreeNode parent : parents) MirrorInsertsUnder(parent, added[parent]);
}

void FilesTreeModel::MirrorInsertsUnder(TreeNode parent, const std::unordered_set<TreeNode>& added) {
  // Under a parent the mirror never saw (or no longer has), they arrive with a later rebuild.
  if (!Mirrored(parent)) return;
  std::vector<TreeNode>& siblings = children_[parent];
  const QModelIndex parentIndex = IndexOf(parent);
  // The tree's children and the mirrored ones are in the same order: one walk over both finds
  // where each run of new nodes goes. A mirrored node whose removal is still queued is skipped.
  size_t row = 0;
  std::vector<TreeNode> run;
  auto insertRun = [&] {
    if (run.empty()) return;
    const int first = static_cast<int>(row);
    beginInsertRows(parentIndex, first, first + static_cast<int>(run.size()) - 1);
    siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(row), run.begin(), run.end());
    SiblingsChanged(parent);
    for (TreeNode node : run) {
      parents_[node] = parent;
      children_[node];
    }
    endInsertRows();
    row += run.size();
    run.clear();
  };
  for (TreeNode node : tree_.Children(parent)) {
    if (added.count(node) != 0 && !Mirrored(node)) {
      run.push_back(node);
      continue;
    }
    auto mirrored = parents_.find(node);
    if (mirrored == parents_.end() || mirrored->second != parent) continue;
    insertRun();
    auto at = std::find(siblings.begin() + static_cast<std::ptrdiff_t>(row), siblings.end(), node);
    row = at == siblings.end() ? siblings.size() : static_cast<size_t>(at - siblings.begin()) + 1;
  }
  insertRun();
}

void FilesTreeModel::MirrorRemove(TreeNode node) {
  if (node == kNoNode || !Mirrored(node)) return;
  const TreeNode parent = parents_[node];
  const int row = RowOf(node);
  emit NodeAboutToBeRemoved(IndexOf(node));
  beginRemoveRows(IndexOf(parent), row, row);
  std::vector<TreeNode>& siblings = children_[parent];
  siblings.erase(siblings.begin() + row);
  SiblingsChanged(parent);
  ForgetSubtree(node);
  endRemoveRows();
}

void FilesTreeModel::ForgetSubtree(TreeNode node) {
  std::vector<TreeNode> pending{node};
  while (!pending.empty()) {
    const TreeNode current = pending.back();
    pending.pop_back();
    auto kids = children_.find(current);
    if (kids != children_.end()) {
      pending.insert(pending.end(), kids->second.begin(), kids->second.end());
      children_.erase(kids);
    }
    rowIndex_.erase(current);
    parents_.erase(current);
  }
}

void FilesTreeModel::MirrorChanges(const std::vector<Change>& changes) {
  std::unordered_map<TreeNode, std::pair<int, int>> spans;  // by parent: first and last row
  std::vector<TreeNode> parents;
  for (const Change& change : changes) {
    auto parent = parents_.find(change.node);
    if (parent == parents_.end()) continue;
    const int row = RowOf(change.node);
    if (row < 0) continue;
    auto [span, first] = spans.try_emplace(parent->second, row, row);
    if (first) parents.push_back(parent->second);
    span->second.first = std::min(span->second.first, row);
    span->second.second = std::max(span->second.second, row);
  }
  for (TreeNode parent : parents) {
    const QModelIndex parentIndex = IndexOf(parent);
    const auto [first, last] = spans[parent];
    emit dataChanged(index(first, 0, parentIndex), index(last, 0, parentIndex));
  }
}

void FilesTreeModel::MirrorInvalidated() {
  // Emptied at once (DeleteAll): the mirrored handles are stale, start over. Otherwise it is a
  // repaint request and the rows stay.
  const bool stale = std::any_of(parents_.begin(), parents_.end(),
                                 [this](const auto& entry) { return !tree_.IsValid(entry.first); });
  if (stale) {
    beginResetModel();
    Rebuild();
    endResetModel();
    return;
  }
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

void FilesTreeModel::Rebuild() {
  children_.clear();
  parents_.clear();
  rowIndex_.clear();
  children_[kNoNode];
  std::vector<TreeNode> pending{kNoNode};
  while (!pending.empty()) {
    const TreeNode current = pending.back();
    pending.pop_back();
    std::vector<TreeNode> kids = tree_.Children(current);
    for (TreeNode kid : kids) parents_[kid] = current;
    pending.insert(pending.end(), kids.begin(), kids.end());
    children_[current] = std::move(kids);
  }
}

}  // namespace orvande::gui
