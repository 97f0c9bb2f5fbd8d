#pragma once
// CLeftFrame: the left column. A tool bar holding the device drop-down, and below it the files
// tree, shown while the selected device is the analysed one, or else the items tree.
// User-interface thread only.
#include <QWidget>

class QStackedWidget;
class QToolBar;

namespace orvande::gui {

class CFilesTreeView;
class CItemsTreeView;
class DeviceComboBox;
class FilesTreeModel;

class CLeftFrame final : public QWidget {
  Q_OBJECT

 public:
  CLeftFrame(FilesTreeModel& filesTree, QWidget* parent = nullptr);

  DeviceComboBox& Devices() { return *devices_; }
  CFilesTreeView& FilesTree() { return *filesTree_; }
  CItemsTreeView& ItemsTree() { return *itemsTree_; }
  QToolBar& ToolBar() { return *toolBar_; }

  void ShowFilesTree();
  bool FilesTreeShown() const;

 signals:
  // The files tree came back into view (the list shows its folder again) ...
  void FilesTreeShownAgain();
  // ... or the items tree took its place (the list is emptied and disabled).
  void ItemsTreeShown();

 private:
  void DeviceSelectionChanged();

  QToolBar* toolBar_ = nullptr;
  DeviceComboBox* devices_ = nullptr;
  QStackedWidget* trees_ = nullptr;
  CFilesTreeView* filesTree_ = nullptr;
  CItemsTreeView* itemsTree_ = nullptr;
};

}  // namespace orvande::gui
