#pragma once
// The frame's QActions made from the app's command table: one per command of the menus, one per
// toolbar button (its text is the one drawn under the button), each carrying its command id as
// data. Enabled and checked states are set for all actions of an id at once, from the frame's
// rules. User-interface thread only.
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenuBar;
class QToolBar;
class QWidget;

namespace orvande {
struct FrameState;
}  // namespace orvande

namespace orvande::gui {

class FrameActions {
 public:
  using CommandHandler = std::function<void(uint32_t commandId)>;

  // Actions are children of owner; a triggered one calls handler with its id.
  FrameActions(QWidget* owner, CommandHandler handler);

  void FillMenus(QMenuBar& menus);
  void FillToolbar(QToolBar& toolbar);

  // The menu's action of that id; null when no menu has it.
  QAction* Action(uint32_t commandId) const;
  // Every action of that id, the toolbar's included.
  std::vector<QAction*> ActionsOf(uint32_t commandId) const;

  // isVisible answers the Toolbar and Status Bar check marks.
  void Update(const FrameState& state, const std::function<bool(uint32_t)>& isVisible);

 private:
  QAction* MakeAction(uint32_t commandId, const QString& text);

  QWidget* owner_;
  CommandHandler handler_;
  std::map<uint32_t, QAction*> menuActions_;
  std::multimap<uint32_t, QAction*> allActions_;
};

}  // namespace orvande::gui
