#pragma once
// CFilesListView: the contents of the shown folder as a report list with full-row selection and
// columns that can be dragged into another order. A double click or Enter on a folder row asks
// for that folder to be opened. User-interface thread only.
#include <QTreeView>

#include "app/file_list_columns.h"
#include "core/folder_tree.h"

namespace orvande::gui {

class FileListModel;

class CFilesListView final : public QTreeView {
  Q_OBJECT

 public:
  CFilesListView(FileListModel& model, QWidget* parent = nullptr);

  FileListModel& Model() { return model_; }

  // The columns' widths, order and visibility as the user left them.
  FileListColumns Layout() const;
  // A layout for another number of columns is ignored: the list keeps its own.
  void ApplyLayout(const FileListColumns& layout);

 signals:
  void FolderOpened(TreeNode node);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void OpenRow(const QModelIndex& index);
  int InitialWidth(int column) const;

  FileListModel& model_;
  bool widthsSettled_ = false;  // a stored layout was applied, or the first showing sized them
};

}  // namespace orvande::gui
