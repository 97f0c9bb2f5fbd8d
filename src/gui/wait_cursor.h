#pragma once
// Scoped cursors for short steps on the user-interface thread: the wait cursor while a step that
// reads the disk runs (opening an analyzer, starting a recovery), and the arrow for a message box
// shown in the middle of such a step, so the box does not look busy. User-interface thread only.
#include <QGuiApplication>

namespace orvande::gui {

class ScopedWaitCursor {
 public:
  ScopedWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~ScopedWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  ScopedWaitCursor(const ScopedWaitCursor&) = delete;
  ScopedWaitCursor& operator=(const ScopedWaitCursor&) = delete;
};

// Does nothing when no step has put up a cursor of its own.
class ScopedArrowCursor {
 public:
  ScopedArrowCursor() : active_(QGuiApplication::overrideCursor() != nullptr) {
    if (active_) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~ScopedArrowCursor() {
    if (active_) QGuiApplication::restoreOverrideCursor();
  }
  ScopedArrowCursor(const ScopedArrowCursor&) = delete;
  ScopedArrowCursor& operator=(const ScopedArrowCursor&) = delete;

 private:
  bool active_;
};

}  // namespace orvande::gui
