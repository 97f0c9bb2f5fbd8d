#include "gui/frame_actions.h"

#include <QAction>
#include <QIcon>
#include <QStringList>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

#include "app/frame_commands.h"
#include "app/frame_state.h"

namespace orvande::gui {
namespace {

bool IsCheckable(uint32_t commandId) {
  return commandId == command::kFilter || commandId == command::kToolbar ||
         commandId == command::kStatusBar;
}

// Theme names of the toolbar's pictures, the first that the theme has being used.
QStringList ToolbarIconNames(uint32_t commandId) {
  switch (commandId) {
    case command::kAnalyze:
      return {"system-run"};
    case command::kRecover:
      return {"document-save"};
    case command::kFindPartitions:
      return {"drive-harddisk"};
    case command::kStop:
      return {"process-stop"};
    case command::kFindFile:
      return {"edit-find"};
    case command::kFilter:
      return {"view-filter", "view-sort-ascending"};
    case command::kHelpContents:
      return {"help-contents"};
    default:
      return {};
  }
}

QIcon ToolbarIcon(uint32_t commandId) {
  for (const QString& name : ToolbarIconNames(commandId)) {
    QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull()) return icon;
  }
  return {};
}

}  // namespace

FrameActions::FrameActions(QWidget* owner, CommandHandler handler)
    : owner_(owner), handler_(std::move(handler)) {
  for (const FrameCommand& command : FrameCommands()) {
    if (*command.menuText == '\0') continue;
    QAction* action = MakeAction(command.id, QString::fromUtf8(command.menuText));
    if (*command.accelerator != '\0')
      action->setShortcut(QKeySequence(QString::fromUtf8(command.accelerator)));
    if (*command.prompt != '\0') action->setStatusTip(QString::fromUtf8(command.prompt));
    menuActions_[command.id] = action;
  }
}

QAction* FrameActions::MakeAction(uint32_t commandId, const QString& text) {
  auto* action = new QAction(text, owner_);
  action->setData(commandId);
  action->setCheckable(IsCheckable(commandId));
  QObject::connect(action, &QAction::triggered, owner_, [this, commandId] { handler_(commandId); });
  allActions_.emplace(commandId, action);
  return action;
}

void FrameActions::FillMenus(QMenuBar& menus) {
  for (const FrameMenu& frameMenu : FrameMenus()) {
    QMenu* menu = menus.addMenu(QString::fromUtf8(frameMenu.title));
    for (uint32_t id : frameMenu.items) {
      if (id == command::kSeparator) {
        menu->addSeparator();
      } else if (QAction* action = Action(id)) {
        menu->addAction(action);
      }
    }
  }
}

void FrameActions::FillToolbar(QToolBar& toolbar) {
  toolbar.setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  for (const ToolbarButton& button : FrameToolbar()) {
    if (button.commandId == command::kSeparator) {
      toolbar.addSeparator();
      continue;
    }
    QAction* action = MakeAction(button.commandId, QString::fromUtf8(button.text));
    action->setIcon(ToolbarIcon(button.commandId));
    if (const QAction* menuAction = Action(button.commandId))
      action->setToolTip(menuAction->text().remove(QLatin1Char('&')));
    toolbar.addAction(action);
  }
}

QAction* FrameActions::Action(uint32_t commandId) const {
  auto found = menuActions_.find(commandId);
  return found == menuActions_.end() ? nullptr : found->second;
}

std::vector<QAction*> FrameActions::ActionsOf(uint32_t commandId) const {
  std::vector<QAction*> actions;
  auto [first, last] = allActions_.equal_range(commandId);
  for (auto it = first; it != last; ++it) actions.push_back(it->second);
  return actions;
}

void FrameActions::Update(const FrameState& state,
                          const std::function<bool(uint32_t)>& isVisible) {
  for (const auto& [id, action] : allActions_) {
    action->setEnabled(IsCommandEnabled(id, state));
    if (id == command::kToolbar || id == command::kStatusBar)
      action->setChecked(isVisible(id));
    else if (action->isCheckable())
      action->setChecked(IsCommandChecked(id, state));
  }
}

}  // namespace orvande::gui
