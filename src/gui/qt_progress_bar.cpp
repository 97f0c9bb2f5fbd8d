#include "gui/qt_progress_bar.h"

#include <QMetaObject>

namespace orvande::gui {

int QtProgressBar::ScaledPosition(uint32_t low, uint32_t high, uint32_t position) {
  if (high <= low || position <= low) return 0;
  if (position >= high) return kScale;
  const uint64_t done = static_cast<uint64_t>(position - low) * kScale;
  return static_cast<int>(done / (high - low));
}

void QtProgressBar::SetRange(uint32_t low, uint32_t high) {
  low_ = low;
  high_ = high;
  ScheduleUpdate();
}

void QtProgressBar::SetPosition(uint32_t position) {
  position_ = position;
  ScheduleUpdate();
}

void QtProgressBar::Advance(uint32_t delta) {
  position_ += delta;
  ScheduleUpdate();
}

void QtProgressBar::ScheduleUpdate() {
  if (bar_.isNull() || updatePending_.exchange(true)) return;
  QMetaObject::invokeMethod(
      bar_.data(),
      [this] {
        updatePending_ = false;
        if (bar_.isNull()) return;
        bar_->setRange(0, kScale);
        bar_->setValue(ScaledPosition(low_, high_, position_));
      },
      Qt::QueuedConnection);
}

}  // namespace orvande::gui
