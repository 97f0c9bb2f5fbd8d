#pragma once
// What the desktop program's tests share: where a window's picture is saved, and answering the
// modal windows that a command opens while the test waits inside that command.
#include <QApplication>
#include <QDir>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <utility>

namespace gui_test {

// Saves the widget as "<name>.png" in the screenshot folder, which is made if it is missing.
inline bool SaveScreenshot(QWidget& widget, const char* name) {
  QDir().mkpath(QStringLiteral(ORVANDE_SCREENSHOT_DIR));
  return widget.grab().save(
      QStringLiteral(ORVANDE_SCREENSHOT_DIR "/%1.png").arg(QLatin1String(name)));
}

// While it lives, calls act with the modal window of that type each time one is up, until act
// answers true.
template <typename Window>
class WhenModal {
 public:
  explicit WhenModal(std::function<bool(Window&)> act) : act_(std::move(act)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
      if (window != nullptr && act_(*window)) timer_.stop();
    });
    timer_.start(10);
  }
  WhenModal(const WhenModal&) = delete;
  WhenModal& operator=(const WhenModal&) = delete;

 private:
  std::function<bool(Window&)> act_;
  QTimer timer_;
};

}  // namespace gui_test
