#pragma once
// FrameRecovery: the Recover command of the main frame and the "&Recover..." context menus of the
// file list and the files tree. It asks the Recover dialog, starts the recovery job through the
// frame's controller with the views' selection, and tells the frame when the job has ended so
// that the commands are enabled again. User-interface thread only.
#include <QObject>
#include <functional>

#include "app/view_recovery.h"

class QAbstractItemView;
class QAction;
class QPoint;
class QTimer;
class QWidget;

namespace orvande {
class AppEnvironment;
class MainFrameController;
class NotifySink;
class ProgressBar;
class Prompter;
class UiWait;
class VolumeAnalysis;
}  // namespace orvande

namespace orvande::gui {

class CFilesListView;
class CFilesTreeView;
struct FileListRow;

// What the recovery uses of the frame; everything outlives the FrameRecovery.
struct FrameRecoveryParts {
  AppEnvironment& environment;
  Prompter& prompter;
  MainFrameController& controller;
  VolumeAnalysis& analysis;
  CFilesListView& list;
  CFilesTreeView& tree;
  ProgressBar& progressBar;
  NotifySink& notifySink;
  UiWait& wait;
  std::function<void()> updateActions;
  QAction* recoverAction = nullptr;  // its icon is shown in the context menus
  QAction* viewAction = nullptr;     // the file list's menu offers it after Recover
};

class FrameRecovery final : public QObject {
  Q_OBJECT

 public:
  FrameRecovery(FrameRecoveryParts parts, QWidget* window);
  // A job still running is stopped: it reports to the frame's widgets.
  ~FrameRecovery() override;

  // Recover (32778) from the view that has the focus: the list's selected rows, else the tree's
  // selected node.
  void Recover();
  // Recover from one view; what StartJob answered, kFolderSkipped when the dialog was cancelled.
  JobStart RecoverFromList();
  JobStart RecoverFromTree();

 private:
  enum class Source { kList, kTree };
  JobStart RecoverFrom(Source source);
  bool AskOptions(RecoveryJobSetup& setup, std::string& folder, bool& restoreStructure);
  JobStart StartFromList(RecoveryJobSetup setup, const std::string& folder, bool restore);
  static constexpr uint32_t kNoFileId = 0xFFFFFFFF;
  uint32_t FileIdOf(const FileListRow& row) const;
  void ShowMenu(Source source, QAbstractItemView& view, const QPoint& at);
  void WatchJob();

  FrameRecoveryParts parts_;
  QWidget* window_;
  QTimer* watch_ = nullptr;
};

}  // namespace orvande::gui
