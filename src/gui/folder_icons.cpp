#include "gui/folder_icons.h"

#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>

#include <array>

namespace orvande::gui {
namespace {

constexpr int kImageCount = 5;
constexpr int kSide = 16;

enum class Mark { kNone, kCross, kDot };

// A yellow folder at 16 by 16; deleted folders are grey with a red cross, a folder holding
// deleted content keeps its colour and gets a red dot.
QPixmap DrawFolder(bool deleted, Mark mark) {
  QPixmap pixmap(kSide, kSide);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor fill = deleted ? QColor(0xb0, 0xb0, 0xb0) : QColor(0xf2, 0xc2, 0x4b);
  painter.setPen(fill.darker(160));
  painter.setBrush(fill);
  painter.drawRect(QRectF(1.5, 3.5, 6, 2));
  painter.drawRect(QRectF(1.5, 5.5, 13, 8));
  if (mark == Mark::kCross) {
    painter.setPen(QPen(QColor(0xd0, 0x20, 0x20), 2));
    painter.drawLine(QPointF(8, 7), QPointF(14, 13));
    painter.drawLine(QPointF(14, 7), QPointF(8, 13));
  } else if (mark == Mark::kDot) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xd0, 0x20, 0x20));
    painter.drawEllipse(QRectF(9, 8, 6, 6));
  }
  return pixmap;
}

QIcon MakeImage(uint32_t image) {
  const QIcon themed = QIcon::fromTheme(QStringLiteral("folder"));
  switch (image) {
    case 2:
    case 3:
      return QIcon(DrawFolder(true, Mark::kCross));
    case 4:
      return QIcon(DrawFolder(false, Mark::kDot));
    default:
      return themed.isNull() ? QIcon(DrawFolder(false, Mark::kNone)) : themed;
  }
}

// A file's page, from the theme or drawn; deleted ones crossed out in red.
QIcon MakeFileImage(bool deleted) {
  QPixmap page = QIcon::fromTheme(QStringLiteral("text-x-generic")).pixmap(kSide, kSide);
  if (page.isNull()) {
    page = QPixmap(kSide, kSide);
    page.fill(Qt::transparent);
    QPainter painter(&page);
    painter.setPen(QColor(0x70, 0x70, 0x70));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(3.5, 1.5, 9, 13));
  }
  if (deleted) {
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xd0, 0x20, 0x20), 2));
    painter.drawLine(QPointF(7, 7), QPointF(14, 14));
    painter.drawLine(QPointF(14, 7), QPointF(7, 14));
  }
  return QIcon(page);
}

}  // namespace

QIcon FileImage(bool deleted) {
  static const QIcon live = MakeFileImage(false);
  static const QIcon crossed = MakeFileImage(true);
  return deleted ? crossed : live;
}

void ChooseIconTheme() {
  // A bare session searches the program's resources only.
  QStringList paths = QIcon::themeSearchPaths();
  for (const QString& folder : QStandardPaths::locateAll(
           QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
           QStandardPaths::LocateDirectory))
    if (!paths.contains(folder)) paths << folder;
  QIcon::setThemeSearchPaths(paths);
  const QString shipped = QStringLiteral("Adwaita");
  if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == "hicolor")
    QIcon::setFallbackThemeName(shipped);
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") QIcon::setThemeName(shipped);
}

QIcon FolderImage(uint32_t image) {
  static const std::array<QIcon, kImageCount> images = [] {
    std::array<QIcon, kImageCount> made;
    for (uint32_t i = 0; i < kImageCount; ++i) made[i] = MakeImage(i);
    return made;
  }();
  return images[image < kImageCount ? image : 0];
}

}  // namespace orvande::gui
