#pragma once
// CFilesTreeView: the found folders of the analysed volume. A new selection is reported as the
// node whose contents the file list should show. User-interface thread only.
#include <QTreeView>

#include "core/folder_tree.h"

namespace orvande::gui {

class FilesTreeModel;

class CFilesTreeView final : public QTreeView {
  Q_OBJECT

 public:
  CFilesTreeView(FilesTreeModel& model, QWidget* parent = nullptr);

  TreeNode SelectedNode() const;
  // kNoNode clears the selection.
  void SelectNode(TreeNode node);
  // The context menu being asked for was opened from the keyboard: it acts on the selection,
  // not on the node under the mouse.
  bool MenuFromKeyboard() const { return menuFromKeyboard_; }

 signals:
  void NodeSelected(TreeNode node);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ExpandTopLevel(const QModelIndex& parent, int first, int last);
  void LetGoOfRemovedNode(const QModelIndex& removed);

  FilesTreeModel& model_;
  bool menuFromKeyboard_ = false;
};

}  // namespace orvande::gui
