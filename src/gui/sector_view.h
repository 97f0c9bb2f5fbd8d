#pragma once
// CSectorView: the hex view of the sector viewer. It draws a data source as header lines and
// rows of 16 bytes (app/sector_layout.h) in two panes, hex and characters, with a caret in the
// active pane and a selection shown in both. The vertical scroll bar counts rows; a source with
// more rows than an int holds is scaled onto it. Reads go through a 64 KiB window cache. Without
// a source it draws nothing and ignores keys and mouse. User-interface thread only.
#include <QAbstractScrollArea>
#include <QColor>
#include <cstdint>

#include "app/sector_copy_text.h"
#include "app/sector_layout.h"
#include "app/sector_window_cache.h"

namespace orvande {
class SectorDataSource;
}  // namespace orvande

namespace orvande::gui {

class CSectorView final : public QAbstractScrollArea {
  Q_OBJECT

 public:
  enum class Pane { kHex = 1, kCharacters = 2 };
  static constexpr uint64_t kNoSelection = ~uint64_t{0};

  explicit CSectorView(QWidget* parent = nullptr);

  // Not owned; null detaches. Resets caret, selection and scroll, and repaints.
  void SetDataSource(SectorDataSource* source);
  SectorDataSource* DataSource() const { return cache_.Source(); }

  void SetViewFont(const QFont& font);

  uint64_t Caret() const { return caret_; }
  // Moves the caret (kept within the source) and scrolls it into view; the selection stays.
  void SetCaret(uint64_t offset);
  // Scrolls so that the caret's row (with its block's header line) is the first shown.
  void ScrollCaretToTop();
  Pane ActivePane() const { return pane_; }
  bool HasSelection() const { return anchor_ != kNoSelection; }
  uint64_t SelectionAnchor() const { return anchor_; }
  // Signed: negative when the selection runs back from its anchor. The selection holds the bytes
  // from the anchor to the caret, both included.
  int64_t SelectionLength() const { return length_; }
  uint64_t SelectionFirst() const;
  uint64_t SelectionLast() const;
  uint64_t FirstShownRow() const { return firstRow_; }

  // The selection (or the caret byte) as clipboard text: hex rows from the hex pane, the
  // characters alone from the character pane. Copy puts it on the clipboard.
  SectorCopy CopyText();
  void Copy();

 signals:
  // The caret moved or the selection changed.
  void CaretMoved(uint64_t caret);
  // The status bar's note, such as a copy that was shortened.
  void Note(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool focusNextPrevChild(bool next) override;
  void changeEvent(QEvent* event) override;

 private:
  struct Hit {
    bool onByte = false;
    uint64_t offset = 0;
    Pane pane = Pane::kHex;
  };

  void TakeColours();
  int CharWidth() const;
  int LineHeight() const;
  int VisibleRows() const;
  uint64_t MaxFirstRow() const;
  void UpdateScrollBar();
  void SetFirstRow(uint64_t row);
  void EnsureCaretVisible();
  void MoveCaret(uint64_t offset, bool extend);
  Hit HitAt(const QPoint& at) const;
  void PaintHeader(QPainter& painter, const SectorRow& row, int y);
  void PaintDataRow(QPainter& painter, const SectorRow& row, int y, int digits);
  void PaintCell(QPainter& painter, int column, int y, const QString& text, bool selected,
                 bool caret);
  bool IsSelected(uint64_t offset) const;

  SectorWindowCache cache_;
  SectorLayout layout_;
  uint64_t caret_ = 0;
  Pane pane_ = Pane::kHex;
  uint64_t anchor_ = kNoSelection;
  int64_t length_ = 0;
  bool keyboardSelecting_ = false;
  uint64_t dragFrom_ = 0;  // where the mouse button went down
  uint64_t firstRow_ = 0;
  bool settingScrollBar_ = false;

  QColor text_, background_, selectedText_, selectedBackground_, headerText_, headerBackground_;
};

}  // namespace orvande::gui
