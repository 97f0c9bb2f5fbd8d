#include "gui/splash_window.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include "app/about_box_text.h"

namespace orvande::gui {
namespace {

bool EndsSplash(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
      return true;
    default:
      return false;
  }
}

}  // namespace

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  // Sixteen lines high, in the proportions of the picture drawn on it.
  const int unit = QFontMetrics(font()).lineSpacing();
  setFixedSize(unit * 40, unit * 16);
  setWindowTitle(QString::fromUtf8(kProgramNameAndRelease));
  QTimer::singleShot(kShowMilliseconds, this, &QWidget::close);
  // Key presses that go to other windows (or to none yet) end the splash as well.
  qApp->installEventFilter(this);
}

SplashWindow::~SplashWindow() {
  qApp->removeEventFilter(this);
}

void SplashWindow::ShowAtStartUp() {
  auto* splash = new SplashWindow;
  splash->setAttribute(Qt::WA_DeleteOnClose);
  splash->show();
  // The frame is built before the event loop runs: draw the splash now.
  QApplication::processEvents();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
  if (isVisible() && EndsSplash(event->type())) close();
  return QWidget::eventFilter(watched, event);
}

// The window's font at that pixel size, made smaller until text fits into width.
QFont SplashWindow::FittingFont(const QString& text, qreal pixels, qreal width, bool bold) const {
  QFont fitting = font();
  fitting.setBold(bold);
  int size = static_cast<int>(pixels);
  do {
    fitting.setPixelSize(size);
  } while (QFontMetricsF(fitting).horizontalAdvance(text) > width && --size > 6);
  return fitting;
}

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF area = rect();
  QLinearGradient background(area.topLeft(), area.bottomRight());
  background.setColorAt(0, QColor(18, 52, 96));
  background.setColorAt(1, QColor(8, 20, 40));
  painter.fillRect(area, background);

  const qreal unit = area.height() / 16;
  DrawDisk(painter, QRectF(unit * 2, unit * 3, unit * 10, unit * 10));

  const QRectF textArea(unit * 14, unit * 4, area.width() - unit * 15, unit * 4);
  const QString title = QString::fromUtf8(kProgramNameAndRelease);
  const QString tagLine = QString::fromUtf8(kTagLine);
  painter.setFont(FittingFont(title, unit * 2.6, textArea.width(), true));
  painter.setPen(Qt::white);
  painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter, title);

  painter.setFont(FittingFont(tagLine, unit * 1.1, textArea.width(), false));
  painter.setPen(QColor(190, 210, 235));
  painter.drawText(textArea.translated(0, unit * 3.5), Qt::AlignLeft | Qt::AlignTop,
                   tagLine);
  painter.drawText(QRectF(unit * 14, area.height() - unit * 3, textArea.width(), unit * 2),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(MakeAboutBoxText().version));
}

// A platter seen from above, with a sector ring and a read arm: what the program works on.
void SplashWindow::DrawDisk(QPainter& painter, const QRectF& area) const {
  painter.setPen(QPen(QColor(120, 150, 190), area.width() / 60));
  painter.setBrush(QColor(200, 210, 225));
  painter.drawEllipse(area);
  const QPointF centre = area.center();
  const qreal radius = area.width() / 2;
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(QColor(150, 165, 190), radius / 40));
  for (const qreal ring : {0.85, 0.7, 0.55}) painter.drawEllipse(centre, radius * ring, radius * ring);
  // The recovered run: one bright arc on the middle ring.
  painter.setPen(QPen(QColor(255, 170, 40), radius / 10, Qt::SolidLine, Qt::FlatCap));
  const qreal ring = radius * 0.7;
  painter.drawArc(QRectF(centre.x() - ring, centre.y() - ring, ring * 2, ring * 2), 30 * 16, 70 * 16);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(60, 70, 90));
  painter.drawEllipse(centre, radius * 0.15, radius * 0.15);
  QPainterPath arm;
  arm.moveTo(area.right() - radius * 0.1, area.bottom() - radius * 0.1);
  arm.lineTo(centre.x() + ring * 0.55, centre.y() - ring * 0.75);
  painter.setPen(QPen(QColor(70, 80, 100), radius / 12, Qt::SolidLine, Qt::RoundCap));
  painter.drawPath(arm);
}

}  // namespace orvande::gui
