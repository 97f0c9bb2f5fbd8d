// The Help menu's links and the help pages they open.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "app/frame_commands.h"
#include "app/help_links.h"
#include "app/link_opener.h"
#include "app/program_folders.h"
#include "app/support_links.h"
#include "common/port_doubles.h"

namespace orvande {
namespace {

using RecordingOpener = test::RecordingLinkOpener;

// The name a reader looks for: no mnemonic, no trailing ellipsis.
std::string CommandName(std::string text) {
  std::erase(text, '&');
  for (const std::string ellipsis : {"...", "\u2026"})
    if (text.ends_with(ellipsis)) text.resize(text.size() - ellipsis.size());
  return text;
}

TEST(HelpLinksTest, TheHelpStartPageNamesEveryCommandOfTheMenus) {
  const ProgramFolders folders = MakeProgramFolders("", "");
  std::ifstream page(folders.helpFile);
  ASSERT_TRUE(page) << folders.helpFile;
  std::stringstream text;
  text << page.rdbuf();
  for (const FrameCommand& command : FrameCommands()) {
    if (*command.menuText == '\0') continue;
    EXPECT_NE(text.str().find(CommandName(command.menuText)), std::string::npos)
        << command.menuText;
  }
}

TEST(HelpLinksTest, EachLinkCommandOpensItsLink) {
  const ProgramFolders folders = MakeProgramFolders("", "");
  struct Case {
    uint32_t commandId;
    std::string link;
  };
  for (const Case& c : {Case{command::kHelpContents, "file://" + folders.helpFile},
                        Case{command::kWebSite, ProductWebSite()},
                        Case{command::kRequestForSupport, SupportMailLink()}}) {
    RecordingOpener opener;
    EXPECT_TRUE(OpenHelpLink(c.commandId, folders, opener));
    EXPECT_EQ(opener.opened, std::vector<std::string>{c.link}) << c.commandId;
  }
  RecordingOpener opener;
  EXPECT_FALSE(OpenHelpLink(command::kAbout, folders, opener));
  EXPECT_TRUE(opener.opened.empty());
}

}  // namespace
}  // namespace orvande
