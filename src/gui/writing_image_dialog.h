#pragma once
// WritingImageDialog: the modal "Writing Image..." window of Save disk image. It reads the image
// worker's position on a timer: the bar follows it, every third tick the time elapsed since the
// window opened and the time left are shown, and the worker's last report closes the window.
// "&Stop" closes it too; the command then stops the worker. User-interface thread only.
#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace orvande::gui {

class WritingImageDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Writing Image...";
  static constexpr int kPollMs = 3333;
  // The times are shown on every third tick.
  static constexpr int kTicksPerTimeUpdate = 3;
  static constexpr uint32_t kInitialRange = 100;

  using PositionSource = std::function<uint32_t()>;

  // position: the worker's report, read on each tick.
  WritingImageDialog(PositionSource position, QWidget* parent = nullptr);

  void SetRange(uint32_t range);
  // One tick of the window's timer.
  void Poll();

  QPushButton& StopButton() { return *stop_; }
  QString ElapsedText() const;
  QString TimeLeftText() const;
  int BarValue() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  PositionSource position_;
  uint32_t range_ = kInitialRange;
  int ticks_ = 0;
  QElapsedTimer opened_;
  QTimer* timer_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QLabel* elapsed_ = nullptr;
  QLabel* left_ = nullptr;
  QPushButton* stop_ = nullptr;
};

}  // namespace orvande::gui
