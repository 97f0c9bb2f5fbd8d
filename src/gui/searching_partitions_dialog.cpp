#include "gui/searching_partitions_dialog.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "app/partition_search_job.h"
#include "disk/partition_node.h"
#include "disk/partitions_file.h"
#include "disk/partitions_file_messages.h"
#include "disk/physical_disk_node.h"
#include "support/prompter.h"

namespace orvande::gui {
namespace {

constexpr char kPartitionsLabel[] = "&Partitions";
constexpr char kElapsedLabel[] = "Time elapsed:";
constexpr char kLeftLabel[] = "Time left:";
constexpr char kStopButton[] = "&Stop";
constexpr char kOkButton[] = "OK";
constexpr char kSaveButton[] = "Save partitions &info...";
constexpr char kNoTimeYet[] = "00:00";
constexpr char kUnknownTime[] = "??:??";
// The bar's own scale: the search's total may not fit its int range.
constexpr int kProgressScale = 1000;
// The list and the end of the search are looked at this often, between the slower ticks that
// move the bar and the times.
constexpr int kPollMilliseconds = 200;

}  // namespace

SearchingLostPartitionsDialog::SearchingLostPartitionsDialog(PartitionSearchJob& job,
                                                             PhysicalDiskNode& disk,
                                                             Prompter& prompter,
                                                             PartitionsFileBox askSaveFile,
                                                             QWidget* parent)
    : QDialog(parent),
      job_(job),
      disk_(disk),
      prompter_(prompter),
      askSaveFile_(std::move(askSaveFile)) {
  setWindowTitle(QString::fromUtf8(search_texts::kWindowCaption));
  BuildWindow();
  tick_.setInterval(static_cast<int>(kSearchWindowTick.count()));
  poll_.setInterval(kPollMilliseconds);
  connect(&tick_, &QTimer::timeout, this, &SearchingLostPartitionsDialog::Tick);
  connect(&poll_, &QTimer::timeout, this, &SearchingLostPartitionsDialog::Poll);
}

void SearchingLostPartitionsDialog::BuildWindow() {
  const QFontMetrics metrics(font());
  partitions_ = new QListWidget(this);
  partitions_->setMinimumSize(metrics.averageCharWidth() * 60, metrics.lineSpacing() * 10);
  auto* listLabel = new QLabel(QString::fromUtf8(kPartitionsLabel), this);
  listLabel->setBuddy(partitions_);
  progress_ = new QProgressBar(this);
  progress_->setRange(0, kProgressScale);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  elapsed_ = new QLabel(QString::fromLatin1(kNoTimeYet), this);
  left_ = new QLabel(QString::fromLatin1(kUnknownTime), this);

  auto* times = new QGridLayout;
  times->addWidget(new QLabel(QString::fromUtf8(kElapsedLabel), this), 0, 0);
  times->addWidget(elapsed_, 0, 1);
  times->addWidget(new QLabel(QString::fromUtf8(kLeftLabel), this), 1, 0);
  times->addWidget(left_, 1, 1);
  times->setColumnStretch(2, 1);

  save_ = new QPushButton(QString::fromUtf8(kSaveButton), this);
  save_->setAutoDefault(false);
  stop_ = new QPushButton(QString::fromUtf8(kStopButton), this);
  stop_->setDefault(true);
  connect(save_, &QPushButton::clicked, this, &SearchingLostPartitionsDialog::SaveList);
  connect(stop_, &QPushButton::clicked, this, &SearchingLostPartitionsDialog::CloseByButton);
  connect(partitions_, &QListWidget::itemDoubleClicked, this, [this] {
    if (finished_) CloseByButton();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(save_);
  buttons->addStretch(1);
  buttons->addWidget(stop_);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(listLabel);
  layout->addWidget(partitions_, 1);
  layout->addWidget(progress_);
  layout->addLayout(times);
  layout->addLayout(buttons);
}

void SearchingLostPartitionsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (tick_.isActive() || finished_) return;
  job_.WindowShown();
  ticks_ = 0;
  tick_.start();
  poll_.start();
}

void SearchingLostPartitionsDialog::Tick() {
  ShowProgress();
  if (++ticks_ % kSearchTimeTextTicks == 0) ShowTimes();
}

void SearchingLostPartitionsDialog::Poll() {
  TakeFound();
  if (job_.Finished()) Finish();
}

void SearchingLostPartitionsDialog::TakeFound() {
  for (const std::shared_ptr<PartitionNode>& partition : job_.TakeFound()) {
    partitions_->addItem(QString::fromStdString(partition->GetName()));
    listed_.push_back(partition);
  }
}

void SearchingLostPartitionsDialog::ShowProgress() {
  const uint32_t total = job_.Total();
  const uint32_t position = job_.Position();
  if (total == 0 || job_.Finished()) return;
  const uint64_t done = std::min<uint64_t>(position, total);
  progress_->setValue(static_cast<int>(done * kProgressScale / total));
}

void SearchingLostPartitionsDialog::ShowTimes() {
  const uint64_t elapsed = job_.ElapsedSeconds();
  elapsed_->setText(QString::fromStdString(PartitionSearchJob::ElapsedText(elapsed)));
  left_->setText(QString::fromStdString(job_.TimeLeftText(elapsed)));
}

void SearchingLostPartitionsDialog::Finish() {
  if (finished_) return;
  finished_ = true;
  tick_.stop();
  poll_.stop();
  TakeFound();
  progress_->setValue(kProgressScale);
  ShowTimes();
  stop_->setText(QString::fromLatin1(kOkButton));
  if (partitions_->count() > 0) partitions_->setCurrentRow(0);
  prompter_.ShowMessage(search_texts::kCompleted, search_texts::kCompletedCaption,
                        MessageIcon::kInformation, MessageButtons::kOk);
}

void SearchingLostPartitionsDialog::CloseByButton() {
  const int row = partitions_->currentRow();
  if (row >= 0 && static_cast<size_t>(row) < listed_.size())
    chosen_ = listed_[static_cast<size_t>(row)];
  accept();
}

void SearchingLostPartitionsDialog::done(int result) {
  tick_.stop();
  poll_.stop();
  QDialog::done(result);
}

void SearchingLostPartitionsDialog::SaveList() {
  const QString path = askSaveFile_(this, disk_.GetName());
  if (path.isEmpty()) return;
  ReportPartitionsSave(prompter_, SavePartitions(disk_, path.toStdString()));
}

}  // namespace orvande::gui
