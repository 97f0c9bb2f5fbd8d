#include "gui/frame_recovery.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <algorithm>

#include "app/app_environment.h"
#include "app/main_frame_controller.h"
#include "app/volume_analysis.h"
#include "core/folder_item.h"
#include "core/item_store.h"
#include "core/read_write_lock.h"
#include "gui/file_list_model.h"
#include "gui/files_list_view.h"
#include "gui/files_tree_model.h"
#include "gui/files_tree_view.h"
#include "gui/recover_dialog.h"
#include "gui/wait_cursor.h"

namespace orvande::gui {
namespace {

constexpr int kJobWatchMs = 100;
constexpr char kRecoverItem[] = "&Recover...";

}  // namespace

FrameRecovery::FrameRecovery(FrameRecoveryParts parts, QWidget* window)
    : QObject(window), parts_(std::move(parts)), window_(window) {
  watch_ = new QTimer(this);
  watch_->setInterval(kJobWatchMs);
  connect(watch_, &QTimer::timeout, this, &FrameRecovery::WatchJob);

  CFilesListView& list = parts_.list;
  list.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&list, &QWidget::customContextMenuRequested, this,
          [this, &list](const QPoint& at) { ShowMenu(Source::kList, list, at); });
  CFilesTreeView& tree = parts_.tree;
  tree.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&tree, &QWidget::customContextMenuRequested, this, [this, &tree](const QPoint& at) {
    // A right click acts on the node under the cursor.
    const QModelIndex under = tree.MenuFromKeyboard() ? QModelIndex() : tree.indexAt(at);
    if (under.isValid()) tree.setCurrentIndex(under);
    ShowMenu(Source::kTree, tree, at);
  });
  // Recover follows the selection of the view that has the focus.
  connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { parts_.updateActions(); });
  connect(&tree, &CFilesTreeView::NodeSelected, this, [this] { parts_.updateActions(); });
  connect(qApp, &QApplication::focusChanged, this, [this] { parts_.updateActions(); });
}

FrameRecovery::~FrameRecovery() {
  if (parts_.controller.Recovery().Recovering()) parts_.controller.StopRecovering(parts_.wait);
  parts_.controller.Recovery().WaitForJob(parts_.wait);
}

void FrameRecovery::Recover() {
  RecoverFrom(parts_.list.hasFocus() ? Source::kList : Source::kTree);
}

JobStart FrameRecovery::RecoverFromList() {
  return RecoverFrom(Source::kList);
}

JobStart FrameRecovery::RecoverFromTree() {
  return RecoverFrom(Source::kTree);
}

JobStart FrameRecovery::RecoverFrom(Source source) {
  MainFrameController& controller = parts_.controller;
  if (controller.Recovery().Recovering()) return JobStart::kBusy;
  const TreeNode treeNode = parts_.tree.SelectedNode();
  if (source == Source::kTree && treeNode == kNoNode) return JobStart::kFolderSkipped;
  if (source == Source::kList && !parts_.list.selectionModel()->hasSelection())
    return JobStart::kFolderSkipped;

  RecoveryJobSetup setup;
  std::string folder;
  bool restoreStructure = false;
  if (!AskOptions(setup, folder, restoreStructure)) return JobStart::kFolderSkipped;
  const ScopedWaitCursor wait;
  const JobStart started =
      source == Source::kList
          ? StartFromList(setup, folder, restoreStructure)
          : orvande::RecoverFromTree(controller.Recovery(), setup, folder, restoreStructure,
                                     treeNode);
  if (started == JobStart::kStarted) watch_->start();
  parts_.updateActions();
  return started;
}

bool FrameRecovery::AskOptions(RecoveryJobSetup& setup, std::string& folder,
                               bool& restoreStructure) {
  DeviceNode* device = parts_.controller.CurrentDevice();
  if (device == nullptr) return false;
  RecoverFolderChecks checks;
  checks.sourcePath = RecoverySourcePath(device);
  RecoverDialog dialog(parts_.environment.Settings(), parts_.prompter, checks, window_);
  if (dialog.exec() != QDialog::Accepted) return false;
  const RecoverDialogValues& values = dialog.Values();
  folder = values.outputFolder;
  restoreStructure = values.restoreFolderStructure;

  VolumeAnalysis& analysis = parts_.analysis;
  setup.deviceNode = device;
  setup.itemStore = &analysis.Store();
  setup.folderTree = &analysis.Tree();
  setup.storeLock = &analysis.StoreLock();
  setup.recoverStreams = values.recoverAlternativeStreams;
  setup.recoverAllFiles = values.recoverAllFiles;
  setup.progressBar = &parts_.progressBar;
  setup.notifySink = &parts_.notifySink;
  setup.prompter = &parts_.prompter;
  return true;
}

// The job finds a file by its record's id; the row knows its place in the folder.
uint32_t FrameRecovery::FileIdOf(const FileListRow& row) const {
  FolderRef folder = parts_.analysis.Store().FindRef(row.folderId);
  if (!folder) return kNoFileId;
  ReadLockGuard read(parts_.analysis.StoreLock());
  const std::vector<FileRecord>& files = folder->Files();
  return row.position < files.size() ? files[row.position].id : kNoFileId;
}

JobStart FrameRecovery::StartFromList(RecoveryJobSetup setup, const std::string& folder,
                                      bool restore) {
  FileListModel& model = parts_.list.Model();
  QModelIndexList selected = parts_.list.selectionModel()->selectedRows();
  std::sort(selected.begin(), selected.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<RecoverySelectionEntry> rows;
  for (const QModelIndex& index : selected) {
    const FileListRow* row = model.RowAt(index.row());
    if (row == nullptr) continue;
    if (row->IsFolder())
      rows.push_back(RecoverySelectionEntry::Folder(static_cast<TreeNode>(row->position)));
    else if (const uint32_t id = FileIdOf(*row); id != kNoFileId)
      rows.push_back(RecoverySelectionEntry::File(id, row->name.toStdString()));
  }
  const TreeNode shown = model.ShownNode();
  const uint32_t shownId = parts_.analysis.Tree().Data(shown);
  return orvande::RecoverFromList(parts_.controller.Recovery(), std::move(setup), folder, restore,
                                  shown, shownId, std::move(rows));
}

void FrameRecovery::ShowMenu(Source source, QAbstractItemView& view, const QPoint& at) {
  QMenu menu(&view);
  QAction* recover = menu.addAction(QString::fromUtf8(kRecoverItem));
  if (parts_.recoverAction != nullptr) recover->setIcon(parts_.recoverAction->icon());
  recover->setEnabled(!parts_.controller.Recovery().Recovering());
  menu.setDefaultAction(recover);
  connect(recover, &QAction::triggered, this, [this, source] { RecoverFrom(source); });
  if (source == Source::kList && parts_.viewAction != nullptr) menu.addAction(parts_.viewAction);
  // The views report the place in their viewport's coordinates.
  menu.exec(view.viewport()->mapToGlobal(at));
}

void FrameRecovery::WatchJob() {
  if (parts_.controller.Recovery().Recovering()) return;
  watch_->stop();
  parts_.updateActions();
}

}  // namespace orvande::gui
