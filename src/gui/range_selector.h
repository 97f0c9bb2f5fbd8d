#pragma once
// A bar that stands for the whole disk with the chosen range drawn over it. Dragging on it picks a
// new range; the handles at either end of the range move one end alone. Values are in the unit
// the owner chose (megabytes or gigabytes). User-interface thread only.
#include <QWidget>

namespace orvande::gui {

class RangeSelector final : public QWidget {
  Q_OBJECT

 public:
  explicit RangeSelector(QWidget* parent = nullptr);

  // The disk's extent; the range is kept inside it.
  void SetTotal(double total);
  double Total() const { return total_; }
  // Sets the range without telling RangeChanged.
  void SetRange(double start, double end);
  double Start() const { return start_; }
  double End() const { return end_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 signals:
  // The user dragged a new range.
  void RangeChanged(double start, double end);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  enum class Drag { kNone, kNewRange, kStart, kEnd };

  QRect BarRect() const;
  double ValueAt(int x) const;
  int XOf(double value) const;
  void DragTo(int x);

  double total_ = 0;
  double start_ = 0;
  double end_ = 0;
  Drag drag_ = Drag::kNone;
  double anchor_ = 0;
};

}  // namespace orvande::gui
