#include "gui/files_list_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QShowEvent>
#include <algorithm>

#include "gui/context_menu_key.h"
#include "gui/file_list_model.h"

namespace orvande::gui {
namespace {

// The widths were chosen for a font of about 5 pixels per average character; a larger font gets
// proportionally wider columns, and a heading is never cut.
constexpr double kDesignedCharWidth = 5.0;
// A wide date and time (two-digit day, hour and minute), as a file time: 28 Dec 2004 23:58.
constexpr uint64_t kWideFileTime = 127487518800000000ULL;
constexpr int kReadableNameChars = 24;

}  // namespace

int CFilesListView::InitialWidth(int column) const {
  const FileListColumnInfo& info = FileListColumnAt(column);
  const double scale = std::max(1.0, fontMetrics().averageCharWidth() / kDesignedCharWidth);
  const int margin = 2 * fontMetrics().averageCharWidth();
  const int heading = header()->fontMetrics().horizontalAdvance(QString::fromUtf8(info.heading)) +
                      2 * header()->fontMetrics().averageCharWidth();
  int width = std::max(static_cast<int>(info.initialWidth * scale), heading);
  // A name of some twenty characters reads whole.
  if (column == kColumnName) width = std::max(width, kReadableNameChars * fontMetrics().averageCharWidth());
  // The locale's dates are longer than the ones the widths were made for: they stay whole.
  if (column == kColumnModified || column == kColumnCreated)
    width = std::max(width, fontMetrics().horizontalAdvance(
                                FileListModel::DateText(kWideFileTime)) + margin);
  return width;
}

void CFilesListView::showEvent(QShowEvent* event) {
  QTreeView::showEvent(event);
  if (widthsSettled_) return;
  widthsSettled_ = true;
  // The first showing without a stored layout: the room the columns leave goes to the names.
  int used = 0;
  for (int column = 0; column < kColumnCount; ++column) used += header()->sectionSize(column);
  const int room = viewport()->width() - used;
  if (room > 0) header()->resizeSection(kColumnName, header()->sectionSize(kColumnName) + room);
}

CFilesListView::CFilesListView(FileListModel& model, QWidget* parent)
    : QTreeView(parent), model_(model) {
  setModel(&model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  header()->setSectionsMovable(true);
  header()->setStretchLastSection(false);
  for (int column = 0; column < kColumnCount; ++column)
    header()->resizeSection(column, InitialWidth(column));
  connect(this, &QAbstractItemView::doubleClicked, this, &CFilesListView::OpenRow);
}

FileListColumns CFilesListView::Layout() const {
  FileListColumns layout;
  for (int column = 0; column < kColumnCount; ++column) {
    FileListColumn saved;
    saved.width = header()->sectionSize(column);
    saved.position = static_cast<uint32_t>(header()->visualIndex(column));
    saved.visible = !header()->isSectionHidden(column);
    layout.columns.push_back(saved);
  }
  return layout;
}

void CFilesListView::ApplyLayout(const FileListColumns& layout) {
  if (layout.columns.size() != static_cast<size_t>(kColumnCount)) return;
  // Placed in the order of their positions, each move leaves the earlier places alone.
  for (uint32_t place = 0; place < static_cast<uint32_t>(kColumnCount); ++place)
    for (int column = 0; column < kColumnCount; ++column)
      if (layout.columns[static_cast<size_t>(column)].position == place)
        header()->moveSection(header()->visualIndex(column), static_cast<int>(place));
  for (int column = 0; column < kColumnCount; ++column) {
    const FileListColumn& saved = layout.columns[static_cast<size_t>(column)];
    if (saved.width > 0) header()->resizeSection(column, saved.width);
    header()->setSectionHidden(column, !saved.visible);
  }
  // The user's widths are kept as they are.
  widthsSettled_ = true;
}

void CFilesListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenRow(currentIndex());
    return;
  }
  if (IsContextMenuKey(*event)) {
    OpenContextMenuFromKeyboard(*this);
    return;
  }
  QTreeView::keyPressEvent(event);
}

void CFilesListView::OpenRow(const QModelIndex& index) {
  const FileListRow* row = model_.RowAt(index.row());
  if (row != nullptr && row->IsFolder()) emit FolderOpened(static_cast<TreeNode>(row->position));
}

}  // namespace orvande::gui
