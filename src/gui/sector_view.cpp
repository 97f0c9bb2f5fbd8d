#include "gui/sector_view.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <climits>

#include "app/sector_data_source.h"

namespace orvande::gui {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
// Scroll bar steps for a source whose first rows do not fit an int.
constexpr int kScaledScrollMax = 1 << 30;
constexpr int kMarginChars = 1;

QString HexText(uint8_t byte) {
  return QString(QLatin1Char(kHexDigits[byte >> 4])) + QLatin1Char(kHexDigits[byte & 0x0F]);
}

QString CharText(uint8_t byte) {
  return QString(QChar(static_cast<char16_t>(static_cast<uint8_t>(SectorChar(byte)))));
}

}  // namespace

CSectorView::CSectorView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  viewport()->setCursor(Qt::IBeamCursor);
  TakeColours();
  UpdateScrollBar();
}

void CSectorView::TakeColours() {
  const QPalette& colours = palette();
  text_ = colours.color(QPalette::Active, QPalette::Text);
  background_ = colours.color(QPalette::Active, QPalette::Base);
  selectedText_ = colours.color(QPalette::Active, QPalette::HighlightedText);
  selectedBackground_ = colours.color(QPalette::Active, QPalette::Highlight);
  headerText_ = colours.color(QPalette::Active, QPalette::ButtonText);
  headerBackground_ = colours.color(QPalette::Active, QPalette::Button);
}

void CSectorView::changeEvent(QEvent* event) {
  if (event->type() == QEvent::PaletteChange) TakeColours();
  if (event->type() == QEvent::FontChange) UpdateScrollBar();
  QAbstractScrollArea::changeEvent(event);
}

void CSectorView::SetDataSource(SectorDataSource* source) {
  cache_.SetSource(source);
  layout_ = source != nullptr ? SectorLayout(source->TotalSize(), source->BlockSize())
                              : SectorLayout();
  caret_ = 0;
  pane_ = Pane::kHex;
  anchor_ = kNoSelection;
  length_ = 0;
  keyboardSelecting_ = false;
  firstRow_ = 0;
  UpdateScrollBar();
  viewport()->update();
  emit CaretMoved(caret_);
}

void CSectorView::SetViewFont(const QFont& font) {
  setFont(font);
  UpdateScrollBar();
  EnsureCaretVisible();
  viewport()->update();
}

void CSectorView::SetCaret(uint64_t offset) {
  if (DataSource() == nullptr) return;
  caret_ = std::min(offset, layout_.LastOffset());
  if (anchor_ != kNoSelection) length_ = static_cast<int64_t>(caret_ - anchor_);
  EnsureCaretVisible();
  viewport()->update();
  emit CaretMoved(caret_);
}

void CSectorView::ScrollCaretToTop() {
  if (DataSource() == nullptr) return;
  const uint64_t row = layout_.RowOf(caret_);
  SetFirstRow(layout_.Row(row - 1).header ? row - 1 : row);
}

uint64_t CSectorView::SelectionFirst() const {
  return length_ < 0 ? anchor_ + static_cast<uint64_t>(length_) : anchor_;
}

uint64_t CSectorView::SelectionLast() const {
  return length_ < 0 ? anchor_ : anchor_ + static_cast<uint64_t>(length_);
}

bool CSectorView::IsSelected(uint64_t offset) const {
  return HasSelection() && offset >= SelectionFirst() && offset <= SelectionLast();
}

// ---- Geometry and scrolling

int CSectorView::CharWidth() const {
  return std::max(fontMetrics().horizontalAdvance(QLatin1Char('0')), 1);
}

int CSectorView::LineHeight() const {
  return std::max(fontMetrics().lineSpacing(), 1);
}

int CSectorView::VisibleRows() const {
  return std::max(viewport()->height() / LineHeight(), 1);
}

uint64_t CSectorView::MaxFirstRow() const {
  const uint64_t rows = layout_.RowCount();
  const uint64_t shown = static_cast<uint64_t>(VisibleRows());
  return rows > shown ? rows - shown : 0;
}

void CSectorView::UpdateScrollBar() {
  settingScrollBar_ = true;
  const uint64_t maxFirst = MaxFirstRow();
  firstRow_ = std::min(firstRow_, maxFirst);
  QScrollBar* bar = verticalScrollBar();
  if (maxFirst <= static_cast<uint64_t>(INT_MAX)) {
    bar->setRange(0, static_cast<int>(maxFirst));
    bar->setPageStep(VisibleRows());
    bar->setValue(static_cast<int>(firstRow_));
  } else {
    bar->setRange(0, kScaledScrollMax);
    bar->setPageStep(std::max(1, static_cast<int>(static_cast<long double>(VisibleRows()) *
                                                   kScaledScrollMax / maxFirst)));
    bar->setValue(static_cast<int>(static_cast<long double>(firstRow_) * kScaledScrollMax /
                                   maxFirst));
  }
  const int textWidth =
      (SectorRowTextWidth(layout_.OffsetDigits()) + 2 * kMarginChars) * CharWidth();
  horizontalScrollBar()->setRange(0, std::max(0, textWidth - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(CharWidth());
  settingScrollBar_ = false;
}

void CSectorView::scrollContentsBy(int, int) {
  if (!settingScrollBar_) {
    const uint64_t maxFirst = MaxFirstRow();
    const int value = verticalScrollBar()->value();
    if (maxFirst <= static_cast<uint64_t>(INT_MAX)) {
      firstRow_ = static_cast<uint64_t>(std::max(value, 0));
    } else {
      firstRow_ = value >= kScaledScrollMax
                      ? maxFirst
                      : static_cast<uint64_t>(static_cast<long double>(std::max(value, 0)) *
                                              maxFirst / kScaledScrollMax);
    }
  }
  viewport()->update();
}

void CSectorView::SetFirstRow(uint64_t row) {
  firstRow_ = std::min(row, MaxFirstRow());
  UpdateScrollBar();
  viewport()->update();
}

void CSectorView::EnsureCaretVisible() {
  if (DataSource() == nullptr) return;
  const uint64_t row = layout_.RowOf(caret_);
  const uint64_t shown = static_cast<uint64_t>(VisibleRows());
  // The header line of a block's first row comes into view with it.
  const uint64_t top = layout_.Row(row - 1).header ? row - 1 : row;
  if (top < firstRow_) {
    SetFirstRow(top);
  } else if (row >= firstRow_ + shown) {
    SetFirstRow(row - shown + 1);
  }
}

void CSectorView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBar();
}

// ---- Painting

void CSectorView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), background_);
  if (DataSource() == nullptr) return;
  painter.setFont(font());
  const int digits = layout_.OffsetDigits();
  const uint64_t rows = layout_.RowCount();
  const int shown = VisibleRows() + 1;
  for (int i = 0; i < shown && firstRow_ + static_cast<uint64_t>(i) < rows; ++i) {
    const SectorRow row = layout_.Row(firstRow_ + static_cast<uint64_t>(i));
    const int y = i * LineHeight();
    if (row.header) {
      PaintHeader(painter, row, y);
    } else {
      PaintDataRow(painter, row, y, digits);
    }
  }
}

void CSectorView::PaintHeader(QPainter& painter, const SectorRow& row, int y) {
  painter.fillRect(QRect(0, y, viewport()->width(), LineHeight()), headerBackground_);
  painter.setPen(headerText_);
  const QString text = QString::fromStdString(SectorHeaderTextAt(
      row.blockStart, DataSource()->BytesPerSector(), DataSource()->BytesPerCluster()));
  const int x = kMarginChars * CharWidth() - horizontalScrollBar()->value();
  painter.drawText(QRect(x, y, viewport()->width() + horizontalScrollBar()->value(), LineHeight()),
                   Qt::AlignLeft | Qt::AlignVCenter, text);
}

void CSectorView::PaintDataRow(QPainter& painter, const SectorRow& row, int y, int digits) {
  SectorRowBytes bytes;
  bytes.count = row.length;
  for (uint32_t i = 0; i < row.length; ++i)
    if (cache_.ByteAt(row.first + i, &bytes.value[i])) bytes.readable |= 1u << i;

  // The offset, the ":" and the "-" come from the row's text; the bytes are drawn cell by cell.
  const std::string line = SectorRowText(row.first, bytes, digits);
  PaintCell(painter, 0, y, QString::fromLatin1(line.substr(0, static_cast<size_t>(digits) + 1)),
            false, false);
  if (row.length > 8) PaintCell(painter, SectorHexCellColumn(digits, 7) + 2, y, QStringLiteral("-"), false, false);
  for (uint32_t i = 0; i < row.length; ++i) {
    const uint64_t offset = row.first + i;
    const bool selected = IsSelected(offset);
    const bool caret = offset == caret_;
    const bool readable = bytes.Readable(i);
    const int cell = SectorHexCellColumn(digits, static_cast<int>(i));
    // A selection runs on through the gap to the next selected byte of the row.
    if (selected && i + 1 < row.length && IsSelected(offset + 1) && i != 7)
      PaintCell(painter, cell + 2, y, QStringLiteral(" "), true, false);
    PaintCell(painter, cell, y, readable ? HexText(bytes.value[i]) : QStringLiteral("??"),
              selected, caret && pane_ == Pane::kHex);
    PaintCell(painter, SectorCharColumn(digits) + static_cast<int>(i), y,
              readable ? CharText(bytes.value[i]) : QStringLiteral("."), selected,
              caret && pane_ == Pane::kCharacters);
  }
}

void CSectorView::PaintCell(QPainter& painter, int column, int y, const QString& text,
                            bool selected, bool caret) {
  const int x = (column + kMarginChars) * CharWidth() - horizontalScrollBar()->value();
  const QRect cell(x, y, CharWidth() * static_cast<int>(text.size()), LineHeight());
  QColor pen = text_;
  if (caret) {
    painter.fillRect(cell, text_);
    pen = background_;
  } else if (selected) {
    painter.fillRect(cell, selectedBackground_);
    pen = selectedText_;
  }
  painter.setPen(pen);
  // One character per column, so that a font whose glyphs differ in width keeps the grid.
  for (int i = 0; i < text.size(); ++i)
    painter.drawText(QRect(x + i * CharWidth(), y, CharWidth(), LineHeight()),
                     Qt::AlignCenter, text.mid(i, 1));
}

// ---- Keys and mouse

void CSectorView::MoveCaret(uint64_t offset, bool extend) {
  if (extend) {
    if (anchor_ == kNoSelection) anchor_ = caret_;
  } else {
    anchor_ = kNoSelection;
    length_ = 0;
  }
  SetCaret(offset);
}

bool CSectorView::focusNextPrevChild(bool) {
  // Tab switches the pane instead of moving the focus.
  return false;
}

void CSectorView::keyPressEvent(QKeyEvent* event) {
  if (DataSource() == nullptr) {
    event->ignore();
    return;
  }
  if (event->matches(QKeySequence::Copy) ||
      (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ControlModifier)) {
    Copy();
    return;
  }
  const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
  switch (event->key()) {
    case Qt::Key_Shift:
      // Shift alone starts a selection at the caret.
      if (!event->isAutoRepeat() && !keyboardSelecting_) {
        keyboardSelecting_ = true;
        anchor_ = caret_;
        length_ = 0;
        viewport()->update();
        emit CaretMoved(caret_);
      }
      return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      pane_ = pane_ == Pane::kHex ? Pane::kCharacters : Pane::kHex;
      viewport()->update();
      return;
    case Qt::Key_Escape:
      anchor_ = kNoSelection;
      length_ = 0;
      viewport()->update();
      emit CaretMoved(caret_);
      return;
    case Qt::Key_Left:
      MoveCaret(layout_.Left(caret_), shift);
      return;
    case Qt::Key_Right:
      MoveCaret(layout_.Right(caret_), shift);
      return;
    case Qt::Key_Up:
      MoveCaret(layout_.Up(caret_), shift);
      return;
    case Qt::Key_Down:
      MoveCaret(layout_.Down(caret_), shift);
      return;
    case Qt::Key_PageUp:
      MoveCaret(layout_.PageUp(caret_), shift);
      return;
    case Qt::Key_PageDown:
      MoveCaret(layout_.PageDown(caret_), shift);
      return;
    case Qt::Key_Home:
      MoveCaret(layout_.Home(), shift);
      return;
    case Qt::Key_End:
      MoveCaret(layout_.End(), shift);
      return;
    default:
      QAbstractScrollArea::keyPressEvent(event);
  }
}

void CSectorView::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Shift && !event->isAutoRepeat()) keyboardSelecting_ = false;
  QAbstractScrollArea::keyReleaseEvent(event);
}

CSectorView::Hit CSectorView::HitAt(const QPoint& at) const {
  Hit hit;
  const uint64_t rowIndex = firstRow_ + static_cast<uint64_t>(std::max(at.y(), 0) / LineHeight());
  if (DataSource() == nullptr || rowIndex >= layout_.RowCount()) return hit;
  const SectorRow row = layout_.Row(rowIndex);
  if (row.header) return hit;
  const int column =
      (at.x() + horizontalScrollBar()->value()) / CharWidth() - kMarginChars;
  const int digits = layout_.OffsetDigits();
  int index = -1;
  if (column >= SectorCharColumn(digits)) {
    index = column - SectorCharColumn(digits);
    hit.pane = Pane::kCharacters;
  } else if (column >= SectorHexColumn(digits)) {
    index = (column - SectorHexColumn(digits)) / 3;
    hit.pane = Pane::kHex;
  }
  if (index < 0 || index >= static_cast<int>(row.length)) return hit;
  hit.onByte = true;
  hit.offset = row.first + static_cast<uint64_t>(index);
  return hit;
}

void CSectorView::mousePressEvent(QMouseEvent* event) {
  if (DataSource() == nullptr || event->button() != Qt::LeftButton) return;
  const Hit hit = HitAt(event->position().toPoint());
  if (!hit.onByte) return;
  pane_ = hit.pane;
  const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
  MoveCaret(hit.offset, extend);
  // A drag from here selects from this byte.
  dragFrom_ = extend ? anchor_ : hit.offset;
}

void CSectorView::mouseMoveEvent(QMouseEvent* event) {
  if (DataSource() == nullptr || !(event->buttons() & Qt::LeftButton)) return;
  const Hit hit = HitAt(event->position().toPoint());
  if (!hit.onByte || hit.offset == caret_) return;
  if (!HasSelection()) anchor_ = dragFrom_;
  SetCaret(hit.offset);
}

// ---- Copy

SectorCopy CSectorView::CopyText() {
  if (DataSource() == nullptr) return {};
  const uint64_t first = HasSelection() ? SelectionFirst() : caret_;
  const uint64_t last = HasSelection() ? SelectionLast() : caret_;
  return SectorCopyText(cache_, first, last,
                        pane_ == Pane::kHex ? SectorCopyMode::kHex : SectorCopyMode::kCharacters);
}

void CSectorView::Copy() {
  const SectorCopy copy = CopyText();
  if (copy.text.empty()) return;
  QApplication::clipboard()->setText(QString::fromLatin1(copy.text));
  if (copy.shortened)
    emit Note(tr("Only the first %1 MiB of the selection were copied.")
                  .arg(kMaxCopyBytes >> 20));
}

}  // namespace orvande::gui
