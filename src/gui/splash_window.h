#pragma once
// The start-up splash: a drawn picture in a frameless window that stays on top. It closes itself
// after kShowMilliseconds or at the first key or mouse button press anywhere in the program,
// whichever comes first. User-interface thread only.
#include <QWidget>

class QTimer;

namespace orvande::gui {

class SplashWindow final : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kShowMilliseconds = 1000;
  static constexpr char kTagLine[] = "Undelete for FAT and NTFS volumes";

  explicit SplashWindow(QWidget* parent = nullptr);
  ~SplashWindow() override;

  // Shows a splash that deletes itself when it closes.
  static void ShowAtStartUp();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont FittingFont(const QString& text, qreal pixels, qreal width, bool bold) const;
  void DrawDisk(QPainter& painter, const QRectF& area) const;
};

}  // namespace orvande::gui
