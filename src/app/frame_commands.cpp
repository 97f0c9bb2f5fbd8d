#include "app/frame_commands.h"

#include <algorithm>
#include <array>

namespace orvande {
namespace {

using namespace command;

// The ellipsis of three of the File menu's items is the single character, as the product has it.
constexpr std::array kCommands = {
    FrameCommand{kAnalyze, "&Analyze disk", "F5", "Start analyzing"},
    FrameCommand{kStop, "&Stop", "Ctrl+S", ""},
    FrameCommand{kFilter, "&Filter", "Ctrl+T", ""},
    FrameCommand{kRecover, "&Recover files...", "Ctrl+R", ""},
    FrameCommand{kStopRecovering, "", "", ""},
    FrameCommand{kTipOfTheDay, "&Tip of the Day...", "", ""},
    FrameCommand{kWebSite, "Orvande on the Web", "", ""},
    FrameCommand{kFindFile, "&Find file...", "Ctrl+F", ""},
    FrameCommand{kFindNext, "Find &next file", "F3", ""},
    FrameCommand{kOpenDiskImage, "&Open disk image\u2026", "", ""},
    FrameCommand{kSaveDiskImage, "Sa&ve disk image\u2026", "", ""},
    FrameCommand{kAnalyzePartition, "&Analyze partition", "", ""},
    FrameCommand{kFindPartitions, "Find &lost partitions\u2026", "Ctrl+L", ""},
    FrameCommand{kRequestForSupport, "&Request for Support", "", ""},
    FrameCommand{kSettings, "&Settings...", "", ""},
    FrameCommand{kView, "&View", "", ""},
    FrameCommand{kAbout, "&About Orvande", "", ""},
    FrameCommand{kExit, "E&xit", "", ""},
    FrameCommand{kHelpContents, "Contents", "F1", ""},
    FrameCommand{kToolbar, "&Toolbar", "", ""},
    FrameCommand{kStatusBar, "&Status Bar", "", ""},
};

// FindFrameCommand searches by halves.
static_assert(std::is_sorted(kCommands.begin(), kCommands.end(),
                             [](const FrameCommand& a, const FrameCommand& b) {
                               return a.id < b.id;
                             }));

constexpr uint32_t kFileItems[] = {kAnalyze,       kRecover, kFindPartitions, kStop, kOpenDiskImage,
                                   kSaveDiskImage, kExit};
constexpr uint32_t kEditItems[] = {kFindFile, kFindNext, kSettings};
constexpr uint32_t kViewItems[] = {kFilter, kToolbar, kStatusBar};
constexpr uint32_t kHelpItems[] = {kTipOfTheDay, kHelpContents, kWebSite, kRequestForSupport,
                                   kAbout};

constexpr FrameMenu kMenus[] = {
    {"&File", kFileItems},
    {"&Edit", kEditItems},
    {"&View", kViewItems},
    {"&Help", kHelpItems},
};

constexpr ToolbarButton kToolbarButtons[] = {
    {kAnalyze, "    Analyze    "},
    {kRecover, "    Recover    "},
    {kFindPartitions, "Find Partitions"},
    {kStop, "      Stop      "},
    {kSeparator, ""},
    {kFindFile, "  Find file  "},
    {kFilter, "    Filter    "},
    {kSeparator, ""},
    {kHelpContents, "    Help    "},
};

constexpr ViewAccelerator kViewAccelerators[] = {
    {"F6", kNextPane},      {"Shift+F6", kPreviousPane},
    {"Ctrl+C", kEditCopy},  {"Ctrl+Insert", kEditCopy},
    {"Ctrl+V", kEditPaste}, {"Shift+Insert", kEditPaste},
    {"Ctrl+X", kEditCut},   {"Shift+Delete", kEditCut},
    {"Ctrl+Z", kEditUndo},  {"Alt+Backspace", kEditUndo},
};

constexpr ContextMenuItem kRecoverMenu[] = {{kRecover, "&Recover...", true}};
constexpr ContextMenuItem kItemsTreeMenu[] = {{kAnalyzePartition, "&Analyze partition", true}};

}  // namespace

std::span<const FrameCommand> FrameCommands() {
  return kCommands;
}

const FrameCommand* FindFrameCommand(uint32_t id) {
  const auto found =
      std::lower_bound(kCommands.begin(), kCommands.end(), id,
                       [](const FrameCommand& row, uint32_t wanted) { return row.id < wanted; });
  return found != kCommands.end() && found->id == id ? &*found : nullptr;
}

std::span<const FrameMenu> FrameMenus() {
  return kMenus;
}
std::span<const ToolbarButton> FrameToolbar() {
  return kToolbarButtons;
}
std::span<const ViewAccelerator> ViewAccelerators() {
  return kViewAccelerators;
}
std::span<const ContextMenuItem> FileListContextMenu() {
  return kRecoverMenu;
}
std::span<const ContextMenuItem> FilesTreeContextMenu() {
  return kRecoverMenu;
}
std::span<const ContextMenuItem> ItemsTreeContextMenu() {
  return kItemsTreeMenu;
}

}  // namespace orvande
