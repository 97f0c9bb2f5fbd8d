#include "gui/window_placement_of.h"
#include "gui/main_frame.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QSplitter>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>

#include "app/app_environment.h"
#include "app/frame_cursor.h"
#include "app/frame_commands.h"
#include "app/items_tree_contents.h"
#include "app/pre_analysis_checks.h"
#include "app/help_links.h"
#include "app/sector_view_opening.h"
#include "core/folder_item.h"
#include "gui/device_combo_box.h"
#include "gui/device_drop_down.h"
#include "gui/file_list_model.h"
#include "gui/files_list_view.h"
#include "gui/files_tree_model.h"
#include "gui/files_tree_view.h"
#include "gui/find_partitions_flow.h"
#include "disk/partition_node.h"
#include "gui/folder_icons.h"
#include "gui/filter_command.h"
#include "gui/find_commands.h"
#include "gui/frame_actions.h"
#include "gui/frame_disk_commands.h"
#include "gui/frame_recovery.h"
#include "gui/items_tree_view.h"
#include "gui/left_frame.h"
#include "gui/about_dialog.h"
#include "gui/qt_link_opener.h"
#include "gui/qt_progress_bar.h"
#include "gui/qt_prompter.h"
#include "gui/sectors_view_frame.h"
#include "gui/settings_dialog.h"
#include "gui/tip_of_the_day_dialog.h"
#include "gui/ui_thread_call.h"
#include "gui/wait_cursor.h"
#include "platform/mount_table.h"
#include "support/string_table.h"

namespace orvande::gui {
namespace {

constexpr int kProgressPaneWidth = 150;
// F5 is "&Analyze disk": the list is refreshed from the View menu only.
constexpr char kRefreshDevicesText[] = "&Refresh device list";

}  // namespace

CMainFrame::CMainFrame(AppEnvironment& environment, Prompter* prompter, QWidget* parent,
                       DiscoverySources devices)
    : QMainWindow(parent),
      environment_(environment),
      ownPrompter_(prompter == nullptr ? std::make_unique<QtPrompter>(this) : nullptr),
      prompter_(prompter == nullptr ? *ownPrompter_ : *prompter) {
  setWindowTitle(QString::fromUtf8(kTitle));
  ChooseIconTheme();
  treeModel_ = std::make_unique<FilesTreeModel>(analysis_.Tree());
  listModel_ = std::make_unique<FileListModel>(
      analysis_.Tree(), analysis_.Store(), analysis_.StoreLock(),
      [this](uint32_t folderId, uint32_t index) {
        return analysis_.ProbabilityAnswer(folderId, index,
                                           environment_.Settings().ShowRecoveryProbability());
      });
  actions_ = std::make_unique<FrameActions>(this, [this](uint32_t id) { RunCommand(id); });
  BuildWindow();
  devices_ = new DeviceDropDown(left_->Devices(), std::move(devices));

  AnalysisPorts ports;
  ports.prompter = &prompter_;
  ports.notifySink = this;
  ports.progressBar = analysisProgress_.get();
  ports.listener = this;
  slot_ = std::make_unique<AnalysisWorkerSlot>(analysis_, ports, wait_);
  controller_ = std::make_unique<MainFrameController>(
      MainFramePorts{*slot_, *this, *this, *this, *this, prompter_});
  recovery_ = std::make_unique<FrameRecovery>(
      FrameRecoveryParts{environment_, prompter_, *controller_, analysis_, *list_,
                         left_->FilesTree(), *recoveryProgress_, *this, wait_,
                         [this] { UpdateActions(); }, ActionFor(command::kRecover),
                         ActionFor(command::kView)},
      this);
  find_ = std::make_unique<FrameFind>(
      FrameFindParts{environment_.Settings(), prompter_, analysis_, *list_, left_->FilesTree(),
                     wait_, [this] { UpdateActions(); }},
      this);
  filter_ = std::make_unique<FrameFilter>(analysis_, *controller_, *listModel_,
                                          [this] { UpdateActions(); });
  disk_ = std::make_unique<FrameDiskCommands>(
      FrameDiskParts{*devices_, *controller_, prompter_, wait_,
                     [this] { return SelectedDevice(); },
                     [this](uint32_t id) {
                       QMetaObject::invokeMethod(
                           this, [this, id] { RunCommand(id); }, Qt::QueuedConnection);
                     },
                     [this] { UpdateActions(); }},
      this);
  {
    const ScopedWaitCursor wait;
    devices_->Discover(platform::ReadMountTable());
  }
  ApplyStoredPlacement();
  ownLinkOpener_ = std::make_unique<QtLinkOpener>();
  linkOpener_ = ownLinkOpener_.get();
  UpdateActions();
}

CMainFrame::~CMainFrame() {
  CSectorsViewFrame::CloseAllViewers();
  recovery_.reset();
  // The worker reports to the widgets: it must be gone before they are.
  analysis_.StopWorker(wait_);
  analysis_.WaitForEnd(wait_);
  StorePlacement();
  delete splitter_;
}

void CMainFrame::BuildWindow() {
  actions_->FillMenus(*menuBar());
  toolbar_ = addToolBar(QStringLiteral("Toolbar"));
  toolbar_->setMovable(false);
  actions_->FillToolbar(*toolbar_);

  splitter_ = new QSplitter(Qt::Horizontal, this);
  left_ = new CLeftFrame(*treeModel_, splitter_);
  list_ = new CFilesListView(*listModel_, splitter_);
  left_->ItemsTree().SetAnalyzeAction(actions_->Action(command::kAnalyzePartition));
  splitter_->addWidget(left_);
  splitter_->addWidget(list_);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);
  BuildStatusBar();

  connect(&left_->FilesTree(), &CFilesTreeView::NodeSelected, this,
          [this](TreeNode node) { HandleNotify(kMsgAnalysisDone, node, 0); });
  connect(list_, &CFilesListView::FolderOpened, this,
          [this](TreeNode node) { left_->FilesTree().SelectNode(node); });
  connect(left_, &CLeftFrame::FilesTreeShownAgain, this, [this] {
    list_->setEnabled(true);
    HandleNotify(kMsgFolderChanged, left_->FilesTree().SelectedNode(), 0);
  });
  connect(left_, &CLeftFrame::ItemsTreeShown, this, [this] {
    listModel_->Clear();
    list_->setEnabled(false);
  });
  connect(&left_->Devices(), &QComboBox::currentIndexChanged, this, &CMainFrame::UpdateActions);
  connect(left_, &CLeftFrame::ItemsTreeShown, this, &CMainFrame::FillItemsTree);
  connect(&left_->ItemsTree(), &CItemsTreeView::SelectionChanged, this, &CMainFrame::UpdateActions);
  for (QAction* menu : menuBar()->actions()) {
    if (menu->text() != QStringLiteral("&View") || menu->menu() == nullptr) continue;
    QAction* refresh = menu->menu()->addAction(QString::fromUtf8(kRefreshDevicesText));
    connect(refresh, &QAction::triggered, this, &CMainFrame::RefreshDeviceList);
  }
}

void CMainFrame::BuildStatusBar() {
  statusPane_ = new QLabel(this);
  statusBar()->addWidget(statusPane_, 1);
  auto makeBar = [this] {
    auto* bar = new QProgressBar(this);
    bar->setTextVisible(false);
    bar->setFixedWidth(kProgressPaneWidth);
    bar->setRange(0, QtProgressBar::kScale);
    bar->setValue(0);
    statusBar()->addPermanentWidget(bar);
    return bar;
  };
  analysisBar_ = makeBar();
  recoveryBar_ = makeBar();
  statusBar()->addPermanentWidget(new QLabel(this));
  analysisProgress_ = std::make_unique<QtProgressBar>(analysisBar_);
  recoveryProgress_ = std::make_unique<QtProgressBar>(recoveryBar_);
}

void CMainFrame::ApplyStoredPlacement() {
  const WindowPlacement placement = environment_.Layout().MainPlacement();
  if (placement.HasStoredPlacement()) {
    const PlacementRect& rect = placement.normalPosition;
    move(rect.left, rect.top);
    resize(rect.right - rect.left, rect.bottom - rect.top);
    if (placement.showCommand == WindowPlacement::kShowMaximized)
      setWindowState(windowState() | Qt::WindowMaximized);
  } else {
    const QFontMetrics metrics(font());
    resize(metrics.averageCharWidth() * 150, metrics.lineSpacing() * 36);
  }
  list_->ApplyLayout(environment_.Layout().FileListLayout());
  uint32_t leftWidth = environment_.Layout().SplitterWidth();
  if (leftWidth == 0) {
    leftWidth = static_cast<uint32_t>(width() / 3);
    environment_.Layout().SetSplitterWidth(leftWidth);
  }
  const int left = static_cast<int>(leftWidth);
  splitter_->setSizes({left, std::max(width() - left, 1)});
}

void CMainFrame::StorePlacement() {
  environment_.Layout().SetMainPlacement(PlacementOf(*this));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (!controller_->RequestClose(wait_)) {
    event->ignore();
    return;
  }
  hide();
  // The program ends with its main window, open viewers or not.
  CSectorsViewFrame::CloseAllViewers();
  environment_.Layout().SetSplitterWidth(static_cast<uint32_t>(splitter_->sizes().value(0)));
  environment_.Layout().SetFileListLayout(list_->Layout());
  event->accept();
}

void CMainFrame::RunCommand(uint32_t commandId) {
  switch (commandId) {
    case command::kAnalyze: {
      // The analyzers are opened on this thread and read the volume's first structures; a
      // question asked before that shows the arrow (the prompter's boxes do).
      const ScopedWaitCursor wait;
      controller_->Analyze();
      break;
    }
    case command::kStop:
      controller_->Stop(wait_);
      break;
    case command::kRecover:
      recovery_->Recover();
      break;
    case command::kStopRecovering:
      controller_->StopRecovering(wait_);
      break;
    case command::kOpenDiskImage:
      OpenDiskImage();
      break;
    case command::kSaveDiskImage:
      disk_->SaveDiskImage();
      break;
    case command::kFilter:
      filter_->Toggle();
      break;
    case command::kFindFile:
      find_->Find();
      break;
    case command::kFindNext:
      find_->FindNext();
      break;
    case command::kAnalyzePartition:
      AnalyzeChosenPartition();
      break;
    case command::kView:
      ViewSelectedFile();
      break;
    case command::kFindPartitions:
      FindPartitions();
      break;
    case command::kExit:
      close();
      break;
    case command::kToolbar:
      toolbar_->setVisible(!toolbar_->isVisible());
      break;
    case command::kStatusBar:
      statusBar()->setVisible(!statusBar()->isVisible());
      break;
    case command::kAbout:
      ShowAboutBox(*linkOpener_, this);
      break;
    case command::kTipOfTheDay:
      ShowTipOfTheDay(environment_.Folders().tipsFile, environment_.Settings(), prompter_, this);
      break;
    case command::kSettings:
      ShowSettingsSheet(environment_.Settings(), this);
      break;
    case command::kHelpContents:
    case command::kWebSite:
    case command::kRequestForSupport:
      OpenHelpLink(commandId, environment_.Folders(), *linkOpener_);
      break;
    default:
      break;
  }
  UpdateActions();
}

void CMainFrame::UpdateActions() {
  if (!controller_) return;
  const FrameState state = controller_->CurrentState();
  actions_->Update(state, [this](uint32_t id) { return IsBarVisible(id); });
  ShowCursorFor(state);
}

void CMainFrame::ShowCursorFor(const FrameState& state) {
  switch (CursorFor(state)) {
    case FrameCursor::kWait:
      setCursor(Qt::WaitCursor);
      break;
    case FrameCursor::kBusy:
      setCursor(Qt::BusyCursor);
      break;
    case FrameCursor::kNormal:
      unsetCursor();
      break;
  }
}

bool CMainFrame::IsBarVisible(uint32_t commandId) const {
  if (commandId == command::kToolbar) return toolbar_->isVisibleTo(this);
  return statusBar()->isVisibleTo(this);
}

QAction* CMainFrame::ActionFor(uint32_t commandId) const {
  return actions_->Action(commandId);
}

QString CMainFrame::StatusPaneText() const {
  return statusPane_->text();
}

uint32_t CMainFrame::WaitForAnalysis() {
  const uint32_t status = analysis_.WaitForEnd(wait_);
  treeModel_->Flush();
  listModel_->FlushRefills();
  UpdateActions();
  return status;
}

bool CMainFrame::AddImageFile(const QString& path) {
  if (!QFileInfo(path).isFile()) return false;
  const bool added = devices_->AddImageFile(path.toStdString());
  UpdateActions();
  return added;
}

void CMainFrame::RefreshDeviceList() {
  {
    const ScopedWaitCursor wait;
    devices_->Refresh(platform::ReadMountTable());
  }
  UpdateActions();
}

void CMainFrame::LostPartitionsChanged(PhysicalDiskNode& disk) {
  devices_->RefreshLostPartitions(disk);
  if (!left_->FilesTreeShown()) FillItemsTree();
  UpdateActions();
}

void CMainFrame::FillItemsTree() {
  if (devices_ == nullptr) return;
  left_->ItemsTree().Fill(ItemsTreeContents(devices_->List()));
}

// The partition becomes the drop-down's choice, then Analyze runs as if the user had asked.
void CMainFrame::AnalyzeChosenPartition() {
  const std::shared_ptr<DeviceNode> node = left_->ItemsTree().SelectedPartition();
  if (!node || !devices_->SelectNode(node.get())) return;
  QMetaObject::invokeMethod(
      this, [this] { RunCommand(command::kAnalyze); }, Qt::QueuedConnection);
}

// A new viewer on the analysed volume, at the data of the list's selected file when it has one.
void CMainFrame::ViewSelectedFile() {
  if (!controller_->IsEnabled(command::kView)) return;
  uint32_t folderId = kNoFileOfFolder;
  uint32_t fileIndex = kNoFileOfFolder;
  QModelIndex index = list_->currentIndex();
  if (const QModelIndexList rows = list_->selectionModel()->selectedRows(); !rows.isEmpty())
    index = rows.first();
  if (const FileListRow* row = index.isValid() ? listModel_->RowAt(index.row()) : nullptr;
      row != nullptr && !row->IsFolder()) {
    folderId = row->folderId;
    fileIndex = static_cast<uint32_t>(row->position);
  }
  const SectorViewOpening opening =
      OpenAnalyzedVolumeView(analysis_, folderId, fileIndex, &prompter_, devices_->HeldNode());
  if (opening.source)
    CSectorsViewFrame::OpenViewer(environment_.Layout(), opening.source, opening.startOffset);
}

// The search's chosen partition is analysed as one chosen in the items tree is.
void CMainFrame::FindPartitions() {
  const std::shared_ptr<PartitionNode> chosen = FindLostPartitions(
      {this, environment_.Settings(), prompter_, wait_, devices_->List(), this,
       [this](PhysicalDiskNode& disk) { LostPartitionsChanged(disk); }, partitionsFileBoxes_});
  if (!chosen || !devices_->SelectNode(chosen.get())) return;
  QMetaObject::invokeMethod(
      this, [this] { RunCommand(command::kAnalyze); }, Qt::QueuedConnection);
}

void CMainFrame::OpenDiskImage() {
  disk_->OpenDiskImage();
}

void CMainFrame::ShowFolder(TreeNode node) {
  if (node == analysis_.Shown().load() && listModel_->ShownNode() == node) return;
  analysis_.Shown().store(node);
  analysis_.Tree().Select(node);
  listModel_->Fill(node);
  UpdateActions();
}

void CMainFrame::HandleNotify(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
  const TreeNode node = static_cast<TreeNode>(wParam);
  switch (message) {
    case kMsgAnalysisDone:  // the files tree's selection changed
      ShowFolder(node);
      break;
    case kMsgFolderChanged:
      if (node != kNoNode && node == analysis_.Shown().load())
        listModel_->Refill(node, static_cast<TreeNode>(lParam));
      break;
    case kMsgFolderImageChanged:
      if (node != kNoNode && node == analysis_.Shown().load()) listModel_->RefreshImages();
      break;
    case kMsgRecoveringFile:
      if (wParam != 0)
        controller_->SetStatusText(strings::kRecoverFileFormat,
                                   reinterpret_cast<const char*>(wParam));
      else
        controller_->SetStatusText("%s", strings::kFinished);
      break;
    default:
      break;
  }
}

// ---- Ports

DeviceNode* CMainFrame::SelectedDevice() const {
  return left_->Devices().SelectedNode();
}

bool CMainFrame::ItemsTreeAllowsAnalysis() const {
  const std::shared_ptr<DeviceNode> node = left_->ItemsTree().SelectedPartition();
  return node && devices_->Lists(node.get());
}

bool CMainFrame::CheckMountPoints(DeviceNode& node) {
  return RunPreAnalysisChecks(BlockDeviceSourcePath(node), ListedDevicePaths(devices_->List()),
                              platform::ReadMountTable(), environment_.Settings(), prompter_,
                              analysis_.NextOpeningLog());
}

bool CMainFrame::SearchBusy() const {
  return find_ && find_->SearchBusy();
}

bool CMainFrame::LastSearchTextEmpty() const {
  return !find_ || find_->LastSearchTextEmpty();
}

bool CMainFrame::FilesTreeHasNodes() const {
  return treeModel_->HasNodes();
}

bool CMainFrame::HasRecoverSelection() const {
  if (list_->hasFocus()) return list_->selectionModel()->hasSelection();
  return left_->FilesTree().SelectedNode() != kNoNode;
}

void CMainFrame::SetViewsRedraw(bool on) {
  list_->setUpdatesEnabled(on);
  left_->FilesTree().setUpdatesEnabled(on);
}

void CMainFrame::EmptyFileListAndFilesTree() {
  analysis_.Shown().store(kNoNode);
  listModel_->Clear();
  analysis_.Tree().DeleteAll();
}

void CMainFrame::RecordAnalyzedEntry() {
  devices_->HoldSelectedNode();
  left_->Devices().RecordAnalyzedEntry();
}

void CMainFrame::ShowFilesTree() {
  left_->ShowFilesTree();
  list_->setEnabled(true);
}

void CMainFrame::EnableDeviceToolBar(bool enabled) {
  CallOnObjectThread(this, [this, enabled] {
    left_->ToolBar().setEnabled(enabled);
    UpdateActions();
  });
}

void CMainFrame::AnalysisStarting() {
  controller_->AnalysisStarting();
  CallOnObjectThread(this, [this] { UpdateActions(); });
}

void CMainFrame::AnalysisEnded(uint32_t status) {
  controller_->AnalysisEnded(status);
  QMetaObject::invokeMethod(
      this,
      [this, status] {
        // The worker's last folders are shown before anyone hears of its end.
        treeModel_->Flush();
        listModel_->FlushRefills();
        UpdateActions();
        emit AnalysisFinished(status);
      },
      Qt::QueuedConnection);
}

void CMainFrame::Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) {
  // A folder row's new image only repaints that row: the worker need not wait for it, and a
  // burst of them is taken in one turn of the event loop.
  if (message == kMsgFolderImageChanged) {
    listModel_->QueueImageChange(static_cast<TreeNode>(lParam));
    return;
  }
  // So are the worker's additions to the shown folder: one list update per turn of the event
  // loop, however many files and folders came meanwhile.
  if (message == kMsgFolderChanged && QThread::currentThread() != thread()) {
    listModel_->QueueRefill(static_cast<TreeNode>(wParam), static_cast<TreeNode>(lParam));
    return;
  }
  CallOnObjectThread(this, [=, this] { HandleNotify(message, wParam, lParam); });
}

void CMainFrame::ShowStatusText(const std::string& text) {
  const QString shown = QString::fromStdString(text);
  CallOnObjectThread(this, [this, shown] { statusPane_->setText(shown); });
}

}  // namespace orvande::gui
