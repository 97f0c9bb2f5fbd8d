#pragma once
// "Searching Lost Partitions": what a running search has found so far, its progress and times,
// "&Stop" (which becomes "OK" once the search has ended) and "Save partitions &info...". It polls
// the job on timers; the partition that is selected when the window is closed by its button is
// the one the user chose. User-interface thread only.
#include <QDialog>
#include <QTimer>
#include <memory>
#include <vector>

#include "gui/find_partitions_files.h"

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace orvande {
class PartitionNode;
class PartitionSearchJob;
class PhysicalDiskNode;
class Prompter;
}  // namespace orvande

namespace orvande::gui {

class SearchingLostPartitionsDialog final : public QDialog {
  Q_OBJECT

 public:
  SearchingLostPartitionsDialog(PartitionSearchJob& job, PhysicalDiskNode& disk,
                                Prompter& prompter, PartitionsFileBox askSaveFile,
                                QWidget* parent = nullptr);

  // The partition chosen in the list when the window was closed by its button; null otherwise.
  std::shared_ptr<PartitionNode> ChosenPartition() const { return chosen_; }

  QListWidget& Partitions() { return *partitions_; }
  QProgressBar& Progress() { return *progress_; }
  QLabel& ElapsedTime() { return *elapsed_; }
  QLabel& TimeLeft() { return *left_; }
  QPushButton& StopButton() { return *stop_; }
  QPushButton& SaveButton() { return *save_; }

  // However the window closes (its button, Esc, the title bar), its timers stop with it: a
  // search that ends while the command waits for it after a cancel tells nobody.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWindow();
  void Tick();
  void Poll();
  void TakeFound();
  void ShowProgress();
  void ShowTimes();
  void Finish();
  void CloseByButton();
  void SaveList();

  PartitionSearchJob& job_;
  PhysicalDiskNode& disk_;
  Prompter& prompter_;
  PartitionsFileBox askSaveFile_;
  QTimer tick_;
  QTimer poll_;
  int ticks_ = 0;
  bool finished_ = false;
  std::vector<std::shared_ptr<PartitionNode>> listed_;
  std::shared_ptr<PartitionNode> chosen_;

  QListWidget* partitions_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* elapsed_ = nullptr;
  QLabel* left_ = nullptr;
  QPushButton* stop_ = nullptr;
  QPushButton* save_ = nullptr;
};

}  // namespace orvande::gui
