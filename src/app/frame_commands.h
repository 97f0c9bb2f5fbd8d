#pragma once
// The main frame's command table as data: ids, menu texts with their "&" mnemonics, accelerators,
// the menus in order, the toolbar with the texts under its buttons, and the views' context menus.
// Every front end builds its menus, shortcuts and toolbar from these, so they never disagree.
// Constant data; safe to use from any thread.
#include <cstdint>
#include <span>

namespace orvande {

namespace command {
inline constexpr uint32_t kAnalyze = 32771;
inline constexpr uint32_t kStop = 32772;
inline constexpr uint32_t kFilter = 32777;
inline constexpr uint32_t kRecover = 32778;
inline constexpr uint32_t kStopRecovering = 32782;
inline constexpr uint32_t kTipOfTheDay = 32784;
inline constexpr uint32_t kWebSite = 32786;
inline constexpr uint32_t kFindFile = 32787;
inline constexpr uint32_t kFindNext = 32788;
inline constexpr uint32_t kOpenDiskImage = 32793;
inline constexpr uint32_t kSaveDiskImage = 32794;
inline constexpr uint32_t kAnalyzePartition = 32795;
inline constexpr uint32_t kFindPartitions = 32796;
inline constexpr uint32_t kRequestForSupport = 32799;
inline constexpr uint32_t kSettings = 32802;
// The file list's View: a sector viewer at the selected file's data.
inline constexpr uint32_t kView = 32806;
// The class library's standard ids.
inline constexpr uint32_t kAbout = 57664;
inline constexpr uint32_t kExit = 57665;
inline constexpr uint32_t kHelpContents = 57667;
inline constexpr uint32_t kEditCopy = 57634;
inline constexpr uint32_t kEditCut = 57635;
inline constexpr uint32_t kEditPaste = 57637;
inline constexpr uint32_t kEditUndo = 57643;
inline constexpr uint32_t kNextPane = 57680;
inline constexpr uint32_t kPreviousPane = 57681;
inline constexpr uint32_t kToolbar = 59392;
inline constexpr uint32_t kStatusBar = 59393;

// In a menu or toolbar list: a separator rather than a command.
inline constexpr uint32_t kSeparator = 0;
}  // namespace command

struct FrameCommand {
  uint32_t id = 0;
  const char* menuText = "";     // "" for a command that no menu shows
  const char* accelerator = "";  // "F5", "Ctrl+R"; "" for none
  const char* prompt = "";       // the status-bar prompt; "" for none
};

struct FrameMenu {
  const char* title;
  std::span<const uint32_t> items;  // command ids in order
};

struct ToolbarButton {
  uint32_t commandId;  // command::kSeparator for a separator
  const char* text;    // drawn under the button; its blanks are part of it
};

// A key that the views handle (copy, paste, pane switching); not shown in any menu.
struct ViewAccelerator {
  const char* keys;
  uint32_t commandId;
};

struct ContextMenuItem {
  uint32_t commandId;
  const char* text;
  bool isDefault;
};

// Every command of the frame, in id order.
std::span<const FrameCommand> FrameCommands();
// The row of that id; null for an id the frame does not know.
const FrameCommand* FindFrameCommand(uint32_t id);

// "&File", "&Edit", "&View", "&Help", in this order.
std::span<const FrameMenu> FrameMenus();
std::span<const ToolbarButton> FrameToolbar();
std::span<const ViewAccelerator> ViewAccelerators();

// The file list's and the files tree's menus hold the same item.
std::span<const ContextMenuItem> FileListContextMenu();
std::span<const ContextMenuItem> FilesTreeContextMenu();
std::span<const ContextMenuItem> ItemsTreeContextMenu();

}  // namespace orvande
