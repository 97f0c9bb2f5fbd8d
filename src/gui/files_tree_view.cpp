#include "gui/files_tree_view.h"

#include <QHeaderView>
#include <QSignalBlocker>

#include "gui/context_menu_key.h"
#include "gui/files_tree_model.h"

namespace orvande::gui {

CFilesTreeView::CFilesTreeView(FilesTreeModel& model, QWidget* parent)
    : QTreeView(parent), model_(model) {
  setModel(&model_);
  setHeaderHidden(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { emit NodeSelected(model_.NodeAt(current)); });
  connect(&model_, &QAbstractItemModel::rowsInserted, this, &CFilesTreeView::ExpandTopLevel);
  connect(&model_, &FilesTreeModel::NodeAboutToBeRemoved, this,
          &CFilesTreeView::LetGoOfRemovedNode);
}

// The shown folder leaves the tree (the filter hides it): the list stays as the frame left it,
// empty, instead of following the row that the removal would make current.
void CFilesTreeView::LetGoOfRemovedNode(const QModelIndex& removed) {
  for (QModelIndex at = currentIndex(); at.isValid(); at = at.parent()) {
    if (at != removed) continue;
    const QSignalBlocker quiet(selectionModel());
    selectionModel()->clear();
    viewport()->update();
    return;
  }
}

TreeNode CFilesTreeView::SelectedNode() const {
  return model_.NodeAt(currentIndex());
}

void CFilesTreeView::SelectNode(TreeNode node) {
  const QModelIndex at = model_.IndexOf(node);
  if (!at.isValid()) {
    clearSelection();
    setCurrentIndex({});
    return;
  }
  scrollTo(at);
  setCurrentIndex(at);
}

void CFilesTreeView::keyPressEvent(QKeyEvent* event) {
  if (!IsContextMenuKey(*event)) {
    QTreeView::keyPressEvent(event);
    return;
  }
  menuFromKeyboard_ = true;
  OpenContextMenuFromKeyboard(*this);
  menuFromKeyboard_ = false;
}

// The volume roots open by themselves, so that their folders are in sight at once.
void CFilesTreeView::ExpandTopLevel(const QModelIndex& parent, int first, int last) {
  if (parent.isValid()) return;
  for (int row = first; row <= last; ++row) expand(model_.index(row, 0));
}

}  // namespace orvande::gui
