#include "gui/qt_ui_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace orvande::gui {

bool QtUiWait::WaitStep(std::chrono::milliseconds step) {
  if (QCoreApplication::closingDown()) return false;
  QEventLoop loop;
  QTimer::singleShot(step, &loop, &QEventLoop::quit);
  loop.exec();
  return !QCoreApplication::closingDown();
}

}  // namespace orvande::gui
