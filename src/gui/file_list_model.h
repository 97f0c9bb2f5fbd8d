#pragma once
// The file list's rows: one folder's subfolders (from the files tree) and then its files (from
// the item store, read under the store lock's read side), with the six columns of the list. A
// file's probability is asked for when its cell is first shown and kept in the row.
// User-interface thread only.
#include <QAbstractTableModel>
#include <functional>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/folder_tree.h"

namespace orvande {
class ItemStore;
class ReadWriteLock;
}  // namespace orvande

namespace orvande::gui {

struct FileListColumnInfo {
  const char* heading;
  Qt::Alignment alignment;
  int initialWidth;
};

enum FileListColumnIndex { kColumnName, kColumnSize, kColumnType, kColumnProbability,
                           kColumnModified, kColumnCreated, kColumnCount };

// The columns in their initial order.
const FileListColumnInfo& FileListColumnAt(int column);

struct FileListRow {
  static constexpr uint32_t kNoFolderId = 0xFFFFFFFF;

  uint32_t folderId = kNoFolderId;  // a file row: the folder that holds it
  QString name;
  uint32_t image = 0;
  uint64_t created = 0;
  uint64_t modified = 0;
  uint64_t size = 0;
  bool hasSize = false;
  uintptr_t position = 0;  // a folder row: its tree node; a file row: its index in the folder
  uint32_t probability = 4;
  QString typeText;  // filled the first time it is shown

  bool IsFolder() const { return folderId == kNoFolderId; }
};

class FileListModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  // The probability code of the file at index in the folder, as the frame answers it.
  using ProbabilityQuery = std::function<uint32_t(uint32_t folderId, uint32_t index)>;

  FileListModel(const FolderTree& tree, const ItemStore& store, ReadWriteLock& storeLock,
                ProbabilityQuery probability, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // node kNoNode empties the list.
  void Fill(TreeNode node);
  // The folder shown got files (newChild kNoNode) or a subfolder.
  void Append(TreeNode newChild);
  // Appends when node is the folder shown, else fills the list with node.
  void Refill(TreeNode node, TreeNode newChild);
  // The rows' images are read again from the tree.
  void RefreshImages();
  // The image of a subfolder changed. Callable from any thread, without waiting: the changes
  // that arrive until the user-interface thread next turns are applied together, to the rows of
  // those subfolders only.
  void QueueImageChange(TreeNode child);
  // The same for the worker's additions to a folder (Refill's arguments): those for the folder
  // shown when they are taken are appended together, in the order they came.
  void QueueRefill(TreeNode node, TreeNode newChild);
  // Takes the queued additions now.
  void FlushRefills() { ApplyRefills(); }
  void Clear() { Fill(kNoNode); }

  TreeNode ShownNode() const { return shown_; }
  const FileListRow* RowAt(int row) const;

  static QString ProbabilityText(uint32_t code);
  static QString DateText(uint64_t fileTime);

 private:
  FileListRow FolderRow(TreeNode node) const;
  bool HasFolderRow(TreeNode node) const;
  void AddFolderRow(TreeNode node);
  void ApplyImageChanges();
  void ApplyRefills();
  void AddFileRows(uint32_t folderId);
  QString CellText(FileListRow& row, int column) const;

  const FolderTree& tree_;
  const ItemStore& store_;
  ReadWriteLock& storeLock_;
  ProbabilityQuery probability_;
  TreeNode shown_ = kNoNode;
  size_t filesShown_ = 0;  // the shown folder's files that have rows, from its first
  // The subfolders that have rows, and where (rows stay in place until the list is refilled).
  std::unordered_map<TreeNode, size_t> folderRows_;
  mutable std::vector<FileListRow> rows_;

  std::mutex imageChangesMutex_;
  std::unordered_set<TreeNode> imageChanges_;  // waiting for ApplyImageChanges
  bool imageChangesScheduled_ = false;
  std::vector<std::pair<TreeNode, TreeNode>> refills_;  // guarded by imageChangesMutex_
  bool refillsScheduled_ = false;
};

}  // namespace orvande::gui
