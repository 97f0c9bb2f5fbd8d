#pragma once
// FrameFind: Find file (32787) and Find next file (32788) of the main frame. It asks the Find
// dialog, runs the search worker over the files tree while the "Searching the file..." window is
// up, and then selects what was found: a folder in the files tree, or a file of the list, which
// is selected by name once the list shows its folder. It is also the find state that the frame's
// enabling rules read. User-interface thread only; the worker's questions to the file list are
// carried over to that thread.
#include <QObject>
#include <QString>
#include <functional>

#include "app/file_search.h"
#include "app/main_frame_ports.h"
#include "app/worker_thread.h"

class QWidget;

namespace orvande {
class AppSettings;
class Prompter;
class UiWait;
class VolumeAnalysis;
}  // namespace orvande

namespace orvande::gui {

class CFilesListView;
class CFilesTreeView;

// What the search uses of the frame; everything outlives the FrameFind.
struct FrameFindParts {
  AppSettings& settings;
  Prompter& prompter;
  VolumeAnalysis& analysis;
  CFilesListView& list;
  CFilesTreeView& tree;
  UiWait& wait;
  std::function<void()> updateActions;
};

class FrameFind final : public QObject, public FrameFindState, private FileListRowFinder {
  Q_OBJECT

 public:
  // The Find dialog's answer: null when it was cancelled.
  using FindAsker = std::function<std::optional<FindSettings>(const FindSettings& shown)>;

  FrameFind(FrameFindParts parts, QWidget* window);
  // Waits for a search still running: it reads the views.
  ~FrameFind() override;

  void Find();
  void FindNext();
  // Where Find gets its answer; the Find dialog by default.
  void SetFindAsker(FindAsker asker) { asker_ = std::move(asker); }

  bool SearchBusy() const override { return state_.busy.load(); }
  bool LastSearchTextEmpty() const override { return state_.query.text.empty(); }
  const FindState& State() const { return state_; }

 signals:
  // The search has ended and its result is shown (or the message about it was answered).
  void SearchFinished();

 private:
  FindSettings StoredSettings() const;
  void StoreSettings(const FindSettings& values);
  void RunSearch();
  void ShowOutcome(const FindOutcome& outcome);
  // On the worker's thread: the list selects the next matching row itself.
  bool FindRowByName(const NameQuery& query) override;
  bool SelectListRow(const NameQuery& query);
  // The list shows a folder: a file waiting there to be selected is selected now.
  void SelectPendingFile();

  FrameFindParts parts_;
  QWidget* window_;
  FindAsker asker_;
  FindState state_;
  WorkerThread worker_;
  TreeNode pendingFolder_ = kNoNode;
  QString pendingName_;
};

}  // namespace orvande::gui
