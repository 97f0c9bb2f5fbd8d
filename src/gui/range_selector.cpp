#include "gui/range_selector.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cstdlib>

namespace orvande::gui {
namespace {

// How near, in pixels, a press must be to an end of the range to move that end alone.
constexpr int kHandleReach = 4;

}  // namespace

RangeSelector::RangeSelector(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setMouseTracking(false);
}

void RangeSelector::SetTotal(double total) {
  total_ = std::max(total, 0.0);
  SetRange(start_, end_);
}

void RangeSelector::SetRange(double start, double end) {
  start_ = std::clamp(start, 0.0, total_);
  end_ = std::clamp(end, start_, total_);
  update();
}

QSize RangeSelector::sizeHint() const {
  const QFontMetrics metrics(font());
  return {metrics.averageCharWidth() * 50, metrics.height() * 2};
}

QSize RangeSelector::minimumSizeHint() const {
  const QFontMetrics metrics(font());
  return {metrics.averageCharWidth() * 10, metrics.height() * 2};
}

QRect RangeSelector::BarRect() const {
  return rect().adjusted(kHandleReach, 2, -kHandleReach - 1, -3);
}

double RangeSelector::ValueAt(int x) const {
  const QRect bar = BarRect();
  if (bar.width() <= 0 || total_ <= 0) return 0;
  const double share = static_cast<double>(x - bar.left()) / bar.width();
  return std::clamp(share, 0.0, 1.0) * total_;
}

int RangeSelector::XOf(double value) const {
  const QRect bar = BarRect();
  if (total_ <= 0) return bar.left();
  return bar.left() + static_cast<int>(value / total_ * bar.width() + 0.5);
}

void RangeSelector::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect bar = BarRect();
  const QPalette& colours = palette();
  painter.fillRect(bar, colours.color(QPalette::Base));
  if (total_ > 0) {
    const int left = XOf(start_);
    const int right = std::max(XOf(end_), left + 1);
    const QRect chosen(QPoint(left, bar.top()), QPoint(right, bar.bottom()));
    painter.fillRect(chosen, colours.color(isEnabled() ? QPalette::Highlight : QPalette::Mid));
    painter.setPen(colours.color(QPalette::Dark));
    painter.drawLine(left, rect().top(), left, rect().bottom());
    painter.drawLine(right, rect().top(), right, rect().bottom());
  }
  painter.setPen(colours.color(QPalette::Shadow));
  painter.drawRect(bar);
}

void RangeSelector::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || total_ <= 0) return;
  const int x = event->position().toPoint().x();
  if (std::abs(x - XOf(end_)) <= kHandleReach) {
    drag_ = Drag::kEnd;
  } else if (std::abs(x - XOf(start_)) <= kHandleReach) {
    drag_ = Drag::kStart;
  } else {
    drag_ = Drag::kNewRange;
    anchor_ = ValueAt(x);
  }
  DragTo(x);
}

void RangeSelector::mouseMoveEvent(QMouseEvent* event) {
  if (drag_ != Drag::kNone) DragTo(event->position().toPoint().x());
}

void RangeSelector::mouseReleaseEvent(QMouseEvent* event) {
  if (drag_ != Drag::kNone) DragTo(event->position().toPoint().x());
  drag_ = Drag::kNone;
}

void RangeSelector::DragTo(int x) {
  const double value = ValueAt(x);
  switch (drag_) {
    case Drag::kNewRange:
      start_ = std::min(anchor_, value);
      end_ = std::max(anchor_, value);
      break;
    case Drag::kStart:
      start_ = std::min(value, end_);
      break;
    case Drag::kEnd:
      end_ = std::max(value, start_);
      break;
    case Drag::kNone:
      return;
  }
  update();
  emit RangeChanged(start_, end_);
}

}  // namespace orvande::gui
