#include "gui/items_tree_view.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QIcon>
#include <QMenu>
#include <QStandardItemModel>

#include "gui/context_menu_key.h"

namespace orvande::gui {
namespace {

constexpr int kNodeRole = Qt::UserRole + 1;
constexpr int kNoNodeIndex = -1;

}  // namespace

CItemsTreeView::CItemsTreeView(QWidget* parent) : QTreeView(parent) {
  setHeaderHidden(true);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  items_ = new QStandardItemModel(this);
  setModel(items_);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { emit SelectionChanged(); });
}

void CItemsTreeView::Clear() {
  items_->clear();
  nodes_.clear();
  emit SelectionChanged();
}

void CItemsTreeView::Fill(const std::vector<ItemsTreeDisk>& disks) {
  Clear();
  const QIcon diskIcon = QIcon::fromTheme(QStringLiteral("drive-harddisk"));
  const QIcon partitionIcon = QIcon::fromTheme(QStringLiteral("drive-multidisk"), diskIcon);
  for (const ItemsTreeDisk& disk : disks) {
    auto* diskItem = new QStandardItem(diskIcon, QString::fromStdString(disk.text));
    diskItem->setData(kNoNodeIndex, kNodeRole);
    for (const ItemsTreePartition& partition : disk.partitions) {
      auto* item = new QStandardItem(partitionIcon, QString::fromStdString(partition.text));
      item->setData(static_cast<int>(nodes_.size()), kNodeRole);
      nodes_.push_back(partition.node);
      diskItem->appendRow(item);
    }
    items_->appendRow(diskItem);
  }
  expandAll();
}

std::shared_ptr<DeviceNode> CItemsTreeView::SelectedPartition() const {
  const QModelIndex current = currentIndex();
  if (!current.isValid()) return nullptr;
  const int index = current.data(kNodeRole).toInt();
  if (index < 0 || index >= static_cast<int>(nodes_.size())) return nullptr;
  return nodes_[static_cast<size_t>(index)];
}

void CItemsTreeView::keyPressEvent(QKeyEvent* event) {
  if (IsContextMenuKey(*event)) {
    OpenContextMenuFromKeyboard(*this);
    return;
  }
  QTreeView::keyPressEvent(event);
}

void CItemsTreeView::contextMenuEvent(QContextMenuEvent* event) {
  QPoint at = event->globalPos();
  if (event->reason() == QContextMenuEvent::Mouse) {
    // A right click chooses the node under the cursor first.
    const QModelIndex under = indexAt(event->pos());
    if (under.isValid()) setCurrentIndex(under);
  } else {
    at = viewport()->mapToGlobal(QPoint(kKeyboardMenuOffset, kKeyboardMenuOffset));
  }
  if (analyzeAction_ == nullptr) return;
  QMenu menu(this);
  menu.addAction(analyzeAction_);
  menu.setDefaultAction(analyzeAction_);
  menu.exec(at);
}

}  // namespace orvande::gui
