#include "gui/file_list_model.h"

#include <QDateTime>
#include <QLocale>
#include <QMetaObject>
#include <algorithm>
#include <array>
#include <iterator>

#include "core/file_record.h"
#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "gui/file_type_names.h"
#include "gui/folder_icons.h"
#include "platform/file_time.h"
#include "support/formatters.h"

namespace orvande::gui {
namespace {

constexpr uint32_t kImageDeletedFile = 2;

const std::array<FileListColumnInfo, kColumnCount> kColumns = {{
    {"Name", Qt::AlignLeft | Qt::AlignVCenter, 110},
    {"Size", Qt::AlignRight | Qt::AlignVCenter, 60},
    {"Type", Qt::AlignLeft | Qt::AlignVCenter, 62},
    {"Probability", Qt::AlignLeft | Qt::AlignVCenter, 65},
    {"Modified", Qt::AlignLeft | Qt::AlignVCenter, 90},
    {"Created", Qt::AlignLeft | Qt::AlignVCenter, 90},
}};

}  // namespace

const FileListColumnInfo& FileListColumnAt(int column) {
  return kColumns[static_cast<size_t>(column)];
}

FileListModel::FileListModel(const FolderTree& tree, const ItemStore& store,
                             ReadWriteLock& storeLock, ProbabilityQuery probability,
                             QObject* parent)
    : QAbstractTableModel(parent),
      tree_(tree),
      store_(store),
      storeLock_(storeLock),
      probability_(std::move(probability)) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromUtf8(kColumns[section].heading);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(kColumns[section].alignment);
  return {};
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  FileListRow& row = rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return CellText(row, index.column());
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(kColumns[static_cast<size_t>(index.column())].alignment);
    case Qt::DecorationRole:
      if (index.column() != kColumnName) return {};
      return row.IsFolder() ? FolderImage(row.image) : FileImage(row.image == kImageDeletedFile);
    default:
      return {};
  }
}

QString FileListModel::CellText(FileListRow& row, int column) const {
  switch (column) {
    case kColumnName:
      return row.name;
    case kColumnSize:
      return row.hasSize ? QString::fromStdString(FormatSize(static_cast<double>(row.size)))
                         : QString();
    case kColumnType:
      if (row.typeText.isEmpty())
        row.typeText = row.IsFolder() ? QString::fromUtf8(FileTypeNames::kFolderType)
                                      : FileTypeNames::Shared().TypeOf(row.name);
      return row.typeText;
    case kColumnProbability:
      // Asked once, when the cell is first drawn: the answer may read the disk.
      if (row.probability == kProbabilityUnknown && probability_)
        row.probability = probability_(row.folderId, static_cast<uint32_t>(row.position));
      return ProbabilityText(row.probability);
    case kColumnModified:
      return DateText(row.modified);
    case kColumnCreated:
      return DateText(row.created);
    default:
      return {};
  }
}

QString FileListModel::ProbabilityText(uint32_t code) {
  switch (code) {
    case kProbabilityGood:
      return QStringLiteral("good");
    case kProbabilityAverage:
      return QStringLiteral("average");
    case kProbabilityPoor:
      return QStringLiteral("poor");
    case kProbabilityUnknown:
      return QStringLiteral("???");
    default:
      return {};
  }
}

QString FileListModel::DateText(uint64_t fileTime) {
  platform::CalendarTime local;
  if (fileTime == 0 || !platform::FileTimeToLocalCalendar(fileTime, &local)) return {};
  const QDateTime when(QDate(local.year, local.month, local.day),
                       QTime(local.hour, local.minute, local.second));
  return QLocale().toString(when, QLocale::ShortFormat);
}

const FileListRow* FileListModel::RowAt(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
  return &rows_[static_cast<size_t>(row)];
}

FileListRow FileListModel::FolderRow(TreeNode node) const {
  FileListRow row;
  row.name = QString::fromStdString(tree_.Text(node));
  row.image = tree_.Image(node);
  row.position = node;
  row.probability = kProbabilityNotDeleted;
  return row;
}

void FileListModel::Fill(TreeNode node) {
  beginResetModel();
  rows_.clear();
  folderRows_.clear();
  shown_ = node;
  if (node != kNoNode) {
    for (TreeNode child : tree_.Children(node)) AddFolderRow(child);
    filesShown_ = 0;
    AddFileRows(tree_.Data(node));
  }
  endResetModel();
}

void FileListModel::Refill(TreeNode node, TreeNode newChild) {
  if (node == shown_)
    Append(newChild);
  else
    Fill(node);
}

bool FileListModel::HasFolderRow(TreeNode node) const {
  return folderRows_.count(node) != 0;
}

void FileListModel::AddFolderRow(TreeNode node) {
  folderRows_.emplace(node, rows_.size());
  rows_.push_back(FolderRow(node));
}

void FileListModel::Append(TreeNode newChild) {
  // A subfolder inserted while the list was being filled already has its row.
  if (shown_ == kNoNode || (newChild != kNoNode && HasFolderRow(newChild))) return;
  const int first = static_cast<int>(rows_.size());
  std::vector<FileListRow> kept;
  kept.swap(rows_);
  if (newChild != kNoNode) {
    rows_.push_back(FolderRow(newChild));
  } else {
    AddFileRows(tree_.Data(shown_));
  }
  std::vector<FileListRow> added;
  added.swap(rows_);
  rows_.swap(kept);
  if (added.empty()) return;
  beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
  if (newChild != kNoNode) folderRows_.emplace(newChild, rows_.size());
  rows_.insert(rows_.end(), std::make_move_iterator(added.begin()),
               std::make_move_iterator(added.end()));
  endInsertRows();
}

void FileListModel::RefreshImages() {
  for (FileListRow& row : rows_)
    if (row.IsFolder()) row.image = tree_.Image(static_cast<TreeNode>(row.position));
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

void FileListModel::QueueImageChange(TreeNode child) {
  {
    std::lock_guard<std::mutex> lock(imageChangesMutex_);
    imageChanges_.insert(child);
    if (imageChangesScheduled_) return;
    imageChangesScheduled_ = true;
  }
  QMetaObject::invokeMethod(this, [this] { ApplyImageChanges(); }, Qt::QueuedConnection);
}

void FileListModel::QueueRefill(TreeNode node, TreeNode newChild) {
  {
    std::lock_guard<std::mutex> lock(imageChangesMutex_);
    refills_.emplace_back(node, newChild);
    if (refillsScheduled_) return;
    refillsScheduled_ = true;
  }
  QMetaObject::invokeMethod(this, [this] { ApplyRefills(); }, Qt::QueuedConnection);
}

void FileListModel::ApplyRefills() {
  std::vector<std::pair<TreeNode, TreeNode>> refills;
  {
    std::lock_guard<std::mutex> lock(imageChangesMutex_);
    refills.swap(refills_);
    refillsScheduled_ = false;
  }
  if (shown_ == kNoNode) return;
  // The new rows are gathered first and announced as one range.
  const size_t first = rows_.size();
  std::vector<FileListRow> kept;
  kept.swap(rows_);
  for (const auto& [node, child] : refills) {
    if (node != shown_) continue;
    if (child == kNoNode) {
      AddFileRows(tree_.Data(shown_));
    } else if (!HasFolderRow(child)) {
      folderRows_.emplace(child, first + rows_.size());
      rows_.push_back(FolderRow(child));
    }
  }
  std::vector<FileListRow> added;
  added.swap(rows_);
  rows_.swap(kept);
  if (added.empty()) return;
  beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + added.size()) - 1);
  rows_.insert(rows_.end(), std::make_move_iterator(added.begin()),
               std::make_move_iterator(added.end()));
  endInsertRows();
}

void FileListModel::ApplyImageChanges() {
  std::unordered_set<TreeNode> changes;
  {
    std::lock_guard<std::mutex> lock(imageChangesMutex_);
    changes.swap(imageChanges_);
    imageChangesScheduled_ = false;
  }
  // One repaint request over the changed rows' span, not one per row.
  size_t first = rows_.size();
  size_t last = 0;
  for (TreeNode child : changes) {
    auto at = folderRows_.find(child);
    if (at == folderRows_.end()) continue;
    const uint32_t image = tree_.Image(child);
    FileListRow& row = rows_[at->second];
    if (row.image == image) continue;
    row.image = image;
    first = std::min(first, at->second);
    last = std::max(last, at->second);
  }
  if (first <= last)
    emit dataChanged(index(static_cast<int>(first), kColumnName),
                     index(static_cast<int>(last), kColumnName), {Qt::DecorationRole});
}

void FileListModel::AddFileRows(uint32_t folderId) {
  FolderRef folder = store_.FindRef(folderId);
  // A folder the store no longer holds shows its subfolders only.
  if (!folder) return;
  ReadLockGuard read(storeLock_);
  const std::vector<FileRecord>& files = folder->Files();
  // Every file not shown yet: a file added while the list was being filled is not shown twice.
  for (size_t i = filesShown_; i < files.size(); ++i) {
    const FileRecord& file = files[i];
    FileListRow row;
    row.folderId = folderId;
    row.name = QString::fromUtf8(file.NameCStr());
    row.image = file.deleted != 0 ? kImageDeletedFile : 0;
    row.created = file.created;
    row.modified = file.modified;
    row.size = file.size;
    row.hasSize = true;
    row.position = i;
    row.probability = file.probability;
    rows_.push_back(row);
  }
  filesShown_ = std::max(filesShown_, files.size());
}

}  // namespace orvande::gui
