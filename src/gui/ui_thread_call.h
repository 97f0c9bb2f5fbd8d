#pragma once
// Runs a function on the thread of a Qt object and returns once it has run there: what a
// worker's synchronous message to a window needs. On that thread itself it runs at once (a
// blocking queued call to one's own thread would never return). Callable from any thread.
#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <utility>

namespace orvande::gui {

template <typename Function>
void CallOnObjectThread(QObject* target, Function&& function) {
  if (QThread::currentThread() == target->thread()) {
    function();
    return;
  }
  QMetaObject::invokeMethod(target, std::forward<Function>(function),
                            Qt::BlockingQueuedConnection);
}

}  // namespace orvande::gui
