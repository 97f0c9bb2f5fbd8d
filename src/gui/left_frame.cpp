#include "gui/left_frame.h"

#include <QStackedWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include "gui/device_combo_box.h"
#include "gui/files_tree_view.h"
#include "gui/items_tree_view.h"

namespace orvande::gui {

CLeftFrame::CLeftFrame(FilesTreeModel& filesTree, QWidget* parent) : QWidget(parent) {
  toolBar_ = new QToolBar(this);
  toolBar_->setMovable(false);
  devices_ = new DeviceComboBox(toolBar_);
  toolBar_->addWidget(devices_);

  trees_ = new QStackedWidget(this);
  filesTree_ = new CFilesTreeView(filesTree, trees_);
  // The frame fills the items tree each time it comes into view.
  itemsTree_ = new CItemsTreeView(trees_);
  trees_->addWidget(filesTree_);
  trees_->addWidget(itemsTree_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar_);
  layout->addWidget(trees_, 1);

  connect(devices_, &QComboBox::currentIndexChanged, this, &CLeftFrame::DeviceSelectionChanged);
}

void CLeftFrame::ShowFilesTree() {
  trees_->setCurrentWidget(filesTree_);
}

bool CLeftFrame::FilesTreeShown() const {
  return trees_->currentWidget() == filesTree_;
}

void CLeftFrame::DeviceSelectionChanged() {
  if (devices_->AnalyzedEntryIsSelected()) {
    ShowFilesTree();
    emit FilesTreeShownAgain();
    return;
  }
  itemsTree_->Clear();
  trees_->setCurrentWidget(itemsTree_);
  emit ItemsTreeShown();
}

}  // namespace orvande::gui
