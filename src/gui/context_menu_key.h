#pragma once
// The context menus of the views open from the keyboard too: the Menu key or Shift+F10 opens
// the menu 5 pixels right of and below the top left corner of the view's rows, as if the user
// had clicked there, but with the keyboard as the reason (the selection stays as it is).
// User-interface thread only.
#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>

namespace orvande::gui {

inline constexpr int kKeyboardMenuOffset = 5;

inline bool IsContextMenuKey(const QKeyEvent& event) {
  if (event.key() == Qt::Key_Menu) return true;
  return event.key() == Qt::Key_F10 &&
         (event.modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
}

inline void OpenContextMenuFromKeyboard(QAbstractScrollArea& view) {
  const QPoint at(kKeyboardMenuOffset, kKeyboardMenuOffset);
  QContextMenuEvent request(QContextMenuEvent::Keyboard, at, view.viewport()->mapToGlobal(at));
  QCoreApplication::sendEvent(view.viewport(), &request);
}

}  // namespace orvande::gui
