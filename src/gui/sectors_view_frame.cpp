#include "gui/window_placement_of.h"
#include "gui/sectors_view_frame.h"

#include <QApplication>
#include <QFontDialog>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <algorithm>
#include <mutex>

#include "app/layout_settings.h"
#include "app/sector_data_source.h"
#include "app/sector_layout.h"
#include "gui/sector_view.h"

namespace orvande::gui {
namespace {

constexpr int kDefaultRows = 32;

// The open viewers. Guarded: a viewer may be listed while another thread asks for the list.
struct ViewerList {
  std::mutex lock;
  std::vector<QPointer<CSectorsViewFrame>> viewers;
};

ViewerList& Viewers() {
  static ViewerList list;
  return list;
}

void Unlist(CSectorsViewFrame* viewer) {
  ViewerList& list = Viewers();
  std::lock_guard<std::mutex> hold(list.lock);
  std::erase_if(list.viewers, [viewer](const QPointer<CSectorsViewFrame>& listed) {
    return listed.isNull() || listed.data() == viewer;
  });
}

}  // namespace

CSectorsViewFrame* CSectorsViewFrame::OpenViewer(LayoutSettings& layout,
                                                 std::shared_ptr<SectorDataSource> source,
                                                 uint64_t caretOffset) {
  auto* viewer = new CSectorsViewFrame(layout, std::move(source));
  {
    ViewerList& list = Viewers();
    std::lock_guard<std::mutex> hold(list.lock);
    list.viewers.emplace_back(viewer);
  }
  viewer->show();
  viewer->view_->SetCaret(caretOffset);
  viewer->view_->ScrollCaretToTop();
  viewer->view_->setFocus();
  return viewer;
}

void CSectorsViewFrame::CloseViewer(CSectorsViewFrame* viewer) {
  if (viewer == nullptr) return;
  Unlist(viewer);
  viewer->close();
}

void CSectorsViewFrame::CloseAllViewers() {
  std::vector<QPointer<CSectorsViewFrame>> viewers;
  {
    ViewerList& list = Viewers();
    std::lock_guard<std::mutex> hold(list.lock);
    viewers.swap(list.viewers);
  }
  for (const QPointer<CSectorsViewFrame>& viewer : viewers)
    if (!viewer.isNull()) delete viewer.data();
}

std::vector<CSectorsViewFrame*> CSectorsViewFrame::OpenViewers() {
  ViewerList& list = Viewers();
  std::lock_guard<std::mutex> hold(list.lock);
  std::vector<CSectorsViewFrame*> open;
  for (const QPointer<CSectorsViewFrame>& viewer : list.viewers)
    if (!viewer.isNull()) open.push_back(viewer.data());
  return open;
}

CSectorsViewFrame::CSectorsViewFrame(LayoutSettings& layout,
                                     std::shared_ptr<SectorDataSource> source)
    : layout_(layout), source_(std::move(source)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8(kTitle));
  view_ = new CSectorView(this);
  setCentralWidget(view_);
  BuildMenu();
  caretPane_ = new QLabel(this);
  selectionPane_ = new QLabel(this);
  statusBar()->addWidget(caretPane_, 1);
  selectionPane_->setMinimumWidth(
      selectionPane_->fontMetrics().horizontalAdvance(tr("%1 bytes selected").arg(UINT64_MAX)));
  statusBar()->addPermanentWidget(selectionPane_);
  connect(view_, &CSectorView::CaretMoved, this, &CSectorsViewFrame::ShowCaret);
  connect(view_, &CSectorView::Note, this,
          [this](const QString& text) { statusBar()->showMessage(text, 5000); });
  view_->SetDataSource(source_.get());
  ApplyPlacement();
}

CSectorsViewFrame::~CSectorsViewFrame() {
  StorePlacement();
  Unlist(this);
  // The view reads through the source: it goes first.
  delete view_;
}

void CSectorsViewFrame::BuildMenu() {
  QMenu* menu = menuBar()->addMenu(QString::fromUtf8(kMenuTitle));
  chooseFont_ = menu->addAction(QString::fromUtf8(kChooseFontItem));
  connect(chooseFont_, &QAction::triggered, this, &CSectorsViewFrame::ChooseFont);
  viewAgain_ = menu->addAction(QString::fromUtf8(kViewItem));
  connect(viewAgain_, &QAction::triggered, this,
          [this] { OpenViewer(layout_, source_, view_->Caret()); });
  viewAgain_->setEnabled(source_ != nullptr);
}

void CSectorsViewFrame::ApplyPlacement() {
  const WindowPlacement placement = layout_.SectorsPlacement();
  if (placement.HasStoredPlacement()) {
    const PlacementRect& rect = placement.normalPosition;
    // The stored rectangle is the window's own area, as normalGeometry() gives it.
    setGeometry(rect.left, rect.top, std::max(rect.right - rect.left, 1),
                std::max(rect.bottom - rect.top, 1));
    maximizeOnShow_ = placement.showCommand == WindowPlacement::kShowMaximized;
    return;
  }
  const QFontMetrics metrics(view_->font());
  const int digits = source_ ? SectorOffsetDigits(source_->TotalSize()) : 8;
  const int width = (SectorRowTextWidth(digits) + 3) * metrics.horizontalAdvance(QLatin1Char('0')) +
                    view_->verticalScrollBar()->sizeHint().width() + 2 * view_->frameWidth();
  resize(width, kDefaultRows * metrics.lineSpacing());
  // The default place is where the active window stands, else the screen's corner.
  QPoint origin;
  if (QWidget* active = QApplication::activeWindow(); active != nullptr && active != this)
    origin = active->frameGeometry().topLeft();
  else if (const QScreen* screen = QGuiApplication::primaryScreen())
    origin = screen->availableGeometry().topLeft();
  move(origin + QPoint(kDefaultShift, kDefaultShift));
}

void CSectorsViewFrame::showEvent(QShowEvent* event) {
  if (maximizeOnShow_) {
    maximizeOnShow_ = false;
    setWindowState(windowState() | Qt::WindowMaximized);
  }
  QMainWindow::showEvent(event);
}

void CSectorsViewFrame::closeEvent(QCloseEvent* event) {
  // Stored while the window still has its place on the screen.
  StorePlacement();
  QMainWindow::closeEvent(event);
}

void CSectorsViewFrame::StorePlacement() {
  layout_.SetSectorsPlacement(PlacementOf(*this));
}

void CSectorsViewFrame::ChooseFont() {
  bool chosen = false;
  const QFont font = QFontDialog::getFont(&chosen, view_->font(), this, QString(),
                                          QFontDialog::MonospacedFonts);
  if (chosen) view_->SetViewFont(font);
}

void CSectorsViewFrame::ShowCaret() {
  if (source_ == nullptr) {
    caretPane_->clear();
    selectionPane_->clear();
    return;
  }
  const uint64_t caret = view_->Caret();
  const uint64_t sectorBytes = std::max<uint32_t>(source_->BytesPerSector(), 1);
  caretPane_->setText(tr("Offset %1h, sector %2")
                          .arg(QString::number(caret, 16).toUpper())
                          .arg(caret / sectorBytes));
  if (view_->HasSelection()) {
    const uint64_t count = view_->SelectionLast() - view_->SelectionFirst() + 1;
    selectionPane_->setText(tr("%1 bytes selected").arg(count));
  } else {
    selectionPane_->clear();
  }
}

QString CSectorsViewFrame::CaretPaneText() const {
  return caretPane_->text();
}

QString CSectorsViewFrame::SelectionPaneText() const {
  return selectionPane_->text();
}

}  // namespace orvande::gui
