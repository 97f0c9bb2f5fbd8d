#pragma once
// CItemsTreeView: the tree the left column shows while the selected device is not the analysed
// one: the physical disks and, under each, its partitions. Its context menu holds the frame's
// "&Analyze partition". User-interface thread only.
#include <QTreeView>
#include <memory>
#include <vector>

#include "app/items_tree_contents.h"

class QAction;
class QStandardItemModel;

namespace orvande::gui {

class CItemsTreeView final : public QTreeView {
  Q_OBJECT

 public:
  explicit CItemsTreeView(QWidget* parent = nullptr);

  void Fill(const std::vector<ItemsTreeDisk>& disks);
  void Clear();
  // The menu's one item; the frame owns it and decides when it is enabled.
  void SetAnalyzeAction(QAction* action) { analyzeAction_ = action; }

  // The device node of the selected item; null when none (or a disk is selected).
  std::shared_ptr<DeviceNode> SelectedPartition() const;

 signals:
  void SelectionChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  QStandardItemModel* items_ = nullptr;
  std::vector<std::shared_ptr<DeviceNode>> nodes_;  // item data is an index into this
  QAction* analyzeAction_ = nullptr;
};

}  // namespace orvande::gui
