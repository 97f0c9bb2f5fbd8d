#pragma once
// The Help menu's commands that only open a link: Contents (the help's start page), the web
// site and the support mail. Plain functions; safe to use from any thread.
#include <cstdint>
#include <string>

namespace orvande {

class LinkOpener;
struct ProgramFolders;

// A "file://" link to the help's start page; a relative path is taken from the current folder.
std::string HelpContentsLink(const ProgramFolders& folders);

// True when commandId is one of the three link commands (whether the desktop opened it or not);
// false for every other command, which then still has to be handled.
bool OpenHelpLink(uint32_t commandId, const ProgramFolders& folders, LinkOpener& opener);

}  // namespace orvande
