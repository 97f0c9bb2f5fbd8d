#include "gui/writing_image_dialog.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <limits>

#include "app/image_time_left.h"
#include "app/image_writer_job.h"
#include "support/formatters.h"

namespace orvande::gui {
namespace {

constexpr char kElapsedLabel[] = "Time elapsed:";
constexpr char kLeftLabel[] = "Time left:";
constexpr char kStop[] = "&Stop";
constexpr int kBarWidthChars = 48;

// QProgressBar counts in int: a range above that is shown at half scale until it fits.
int BarScaleShift(uint32_t range) {
  int shift = 0;
  while ((range >> shift) > static_cast<uint32_t>(std::numeric_limits<int>::max())) ++shift;
  return shift;
}

}  // namespace

WritingImageDialog::WritingImageDialog(PositionSource position, QWidget* parent)
    : QDialog(parent), position_(std::move(position)) {
  setWindowTitle(QString::fromUtf8(kTitle));
  setModal(true);
  auto* layout = new QGridLayout(this);
  bar_ = new QProgressBar(this);
  bar_->setTextVisible(false);
  bar_->setMinimumWidth(fontMetrics().averageCharWidth() * kBarWidthChars);
  layout->addWidget(bar_, 0, 0, 1, 2);

  layout->addWidget(new QLabel(QString::fromUtf8(kElapsedLabel), this), 1, 0);
  elapsed_ = new QLabel(QString::fromStdString(FormatTimeSpan(0)), this);
  layout->addWidget(elapsed_, 1, 1);
  layout->addWidget(new QLabel(QString::fromUtf8(kLeftLabel), this), 2, 0);
  left_ = new QLabel(QString::fromStdString(FormatTimeSpanOrUnknown(false, 0)), this);
  layout->addWidget(left_, 2, 1);
  layout->setColumnStretch(1, 1);

  auto* buttons = new QHBoxLayout;
  stop_ = new QPushButton(QString::fromUtf8(kStop), this);
  buttons->addStretch(1);
  buttons->addWidget(stop_);
  buttons->addStretch(1);
  layout->addLayout(buttons, 3, 0, 1, 2);
  connect(stop_, &QPushButton::clicked, this, &QDialog::reject);

  timer_ = new QTimer(this);
  timer_->setInterval(kPollMs);
  connect(timer_, &QTimer::timeout, this, &WritingImageDialog::Poll);
  SetRange(kInitialRange);
}

void WritingImageDialog::SetRange(uint32_t range) {
  range_ = range;
  bar_->setRange(0, static_cast<int>(range >> BarScaleShift(range)));
}

void WritingImageDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (timer_->isActive()) return;
  opened_.start();
  ticks_ = 0;
  timer_->start();
}

void WritingImageDialog::Poll() {
  const uint32_t position = position_();
  if (position == kImagePositionDone) {
    timer_->stop();
    accept();
    return;
  }
  const uint32_t shown = std::min(position, range_);
  bar_->setValue(static_cast<int>(shown >> BarScaleShift(range_)));
  if (++ticks_ % kTicksPerTimeUpdate != 0) return;
  const uint64_t seconds = opened_.isValid() ? static_cast<uint64_t>(opened_.elapsed() / 1000) : 0;
  elapsed_->setText(QString::fromStdString(FormatTimeSpan(seconds)));
  left_->setText(QString::fromStdString(ImageTimeLeftText(seconds, range_, position)));
}

QString WritingImageDialog::ElapsedText() const {
  return elapsed_->text();
}

QString WritingImageDialog::TimeLeftText() const {
  return left_->text();
}

int WritingImageDialog::BarValue() const {
  return bar_->value();
}

}  // namespace orvande::gui
