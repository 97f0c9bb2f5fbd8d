#pragma once
// CMainFrame: the program's main window. It builds the menus, toolbar and status bar from the
// app's command table, lays out the left column and the file list in a splitter, and is the
// front end of the frame's controller: its views, the analysis worker's listener and notify
// target, and pane 0 of the status bar. The window lives on the user-interface thread; the port
// calls that workers make (notify, status text, listener, tool bar) come from their threads and
// are carried over as blocking queued calls.
#include <QMainWindow>
#include <memory>
#include <utility>
#include <vector>

#include "app/analysis_worker_slot.h"
#include "disk/discovery_sources.h"
#include "app/main_frame_controller.h"
#include "app/volume_analysis.h"
#include "core/ports.h"
#include "gui/find_partitions_files.h"
#include "gui/qt_ui_wait.h"

class QLabel;
class QProgressBar;
class QSplitter;
class QToolBar;

namespace orvande {
class AppEnvironment;
class DeviceNode;
class PhysicalDiskNode;
class LinkOpener;
}  // namespace orvande

namespace orvande::gui {

class CFilesListView;
class CLeftFrame;
class DeviceDropDown;
class FileListModel;
class FilesTreeModel;
class FrameActions;
class FrameDiskCommands;
class FrameFilter;
class FrameFind;
class FrameRecovery;
class QtLinkOpener;
class QtProgressBar;
class QtPrompter;

class CMainFrame final : public QMainWindow,
                         private FrameViews,
                         private AnalysisListener,
                         private NotifySink,
                         private StatusTextSink,
                         private MountPointCheck,
                         private FrameFindState {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Orvande 2.0";
  static constexpr char kImageFilesHeading[] = "Disk Image Files";
  static constexpr char kOpenImageCaption[] = "Open Image file";

  // prompter: where message boxes and logs go; null shows them as dialogs of this window.
  // devices: where the device drop-down looks for the machine's devices.
  explicit CMainFrame(AppEnvironment& environment, Prompter* prompter = nullptr,
                      QWidget* parent = nullptr, DiscoverySources devices = DiscoverySources());
  ~CMainFrame() override;

  // Lists an image file in the device drop-down and selects it; false when it is no file.
  bool AddImageFile(const QString& path);
  // A search or a load changed the disk's lost partitions: its group is listed anew.
  void LostPartitionsChanged(PhysicalDiskNode& disk);
  DeviceDropDown& Devices() { return *devices_; }
  void RunCommand(uint32_t commandId);
  // Re-evaluates every action's enabled and checked state.
  void UpdateActions();

  // Waits, handling events, until the analysis worker has ended; BuildTree's status.
  uint32_t WaitForAnalysis();

  QAction* ActionFor(uint32_t commandId) const;
  CLeftFrame& LeftFrame() { return *left_; }
  CFilesListView& FilesList() { return *list_; }
  QString StatusPaneText() const;
  VolumeAnalysis& Analysis() { return analysis_; }
  MainFrameController& Controller() { return *controller_; }
  FrameRecovery& Recovery() { return *recovery_; }
  FrameFind& Find() { return *find_; }
  FrameFilter& Filter() { return *filter_; }
  FrameDiskCommands& DiskCommands() { return *disk_; }
  // Where Contents, the web site and the support mail go; the desktop's by default.
  void SetLinkOpener(LinkOpener& opener) { linkOpener_ = &opener; }
  // Where the lost-partition windows ask for a partitions information file; file boxes by default.
  void SetPartitionsFileBoxes(PartitionsFileBoxes boxes) { partitionsFileBoxes_ = std::move(boxes); }

 public:
  // The device-list entry the user has selected; user-interface thread.
  const DeviceNode* CurrentDevice() const { return SelectedDevice(); }

 signals:
  void AnalysisFinished(uint32_t status);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // FrameViews
  DeviceNode* SelectedDevice() const override;
  bool FilesTreeHasNodes() const override;
  bool HasRecoverSelection() const override;
  bool ItemsTreeAllowsAnalysis() const override;
  void SetViewsRedraw(bool on) override;
  void EmptyFileListAndFilesTree() override;
  void RecordAnalyzedEntry() override;
  void ShowFilesTree() override;
  void EnableDeviceToolBar(bool enabled) override;
  // AnalysisListener
  void AnalysisStarting() override;
  void AnalysisEnded(uint32_t status) override;
  // NotifySink
  void Send(uint32_t message, uintptr_t wParam, uintptr_t lParam) override;
  // StatusTextSink
  void ShowStatusText(const std::string& text) override;
  // MountPointCheck: the devices mounted inside a block device's volume, and a read-write mount.
  bool CheckMountPoints(DeviceNode& node) override;
  // FrameFindState: the Find commands' state.
  bool SearchBusy() const override;
  bool LastSearchTextEmpty() const override;

  void BuildWindow();
  void BuildStatusBar();
  void ApplyStoredPlacement();
  void StorePlacement();
  void HandleNotify(uint32_t message, uintptr_t wParam, uintptr_t lParam);
  void ShowFolder(TreeNode node);
  void OpenDiskImage();
  void RefreshDeviceList();
  void FillItemsTree();
  void AnalyzeChosenPartition();
  void ViewSelectedFile();
  void FindPartitions();
  bool IsBarVisible(uint32_t commandId) const;
  void ShowCursorFor(const FrameState& state);

  AppEnvironment& environment_;
  std::unique_ptr<QtPrompter> ownPrompter_;
  Prompter& prompter_;
  QtUiWait wait_;
  VolumeAnalysis analysis_;
  std::unique_ptr<FilesTreeModel> treeModel_;
  std::unique_ptr<FileListModel> listModel_;

  QSplitter* splitter_ = nullptr;
  CLeftFrame* left_ = nullptr;
  CFilesListView* list_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QLabel* statusPane_ = nullptr;
  QProgressBar* analysisBar_ = nullptr;
  QProgressBar* recoveryBar_ = nullptr;
  std::unique_ptr<QtProgressBar> analysisProgress_;
  std::unique_ptr<QtProgressBar> recoveryProgress_;
  std::unique_ptr<FrameActions> actions_;

  std::unique_ptr<AnalysisWorkerSlot> slot_;
  std::unique_ptr<MainFrameController> controller_;
  DeviceDropDown* devices_ = nullptr;  // a child of the drop-down
  std::unique_ptr<QtLinkOpener> ownLinkOpener_;
  LinkOpener* linkOpener_ = nullptr;
  PartitionsFileBoxes partitionsFileBoxes_;
  std::unique_ptr<FrameFind> find_;
  std::unique_ptr<FrameFilter> filter_;
  std::unique_ptr<FrameDiskCommands> disk_;
  // Last: it stops a running recovery before the parts above are gone.
  std::unique_ptr<FrameRecovery> recovery_;
};

}  // namespace orvande::gui
