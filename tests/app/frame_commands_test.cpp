// The command table's texts and the support mail link: the words a front end shows.
#include "app/frame_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/support_links.h"

namespace orvande {
namespace {

TEST(FrameCommands, RowsKeepTheirMnemonicsAndAccelerators) {
  const struct {
    uint32_t id;
    const char* menuText;
    const char* accelerator;
  } rows[] = {
      {command::kAnalyze, "&Analyze disk", "F5"},
      {command::kFindPartitions, "Find &lost partitions\u2026", "Ctrl+L"},
      {command::kSaveDiskImage, "Sa&ve disk image\u2026", ""},
      {command::kFindNext, "Find &next file", "F3"},
      {command::kHelpContents, "Contents", "F1"},
  };
  for (const auto& row : rows) {
    const FrameCommand* command = FindFrameCommand(row.id);
    ASSERT_NE(command, nullptr) << row.id;
    EXPECT_STREQ(command->menuText, row.menuText);
    EXPECT_STREQ(command->accelerator, row.accelerator);
  }
  EXPECT_EQ(FindFrameCommand(32773), nullptr);
}

TEST(FrameCommands, MenusAndToolbarInOrder) {
  std::vector<std::string> titles;
  for (const FrameMenu& menu : FrameMenus()) titles.push_back(menu.title);
  EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Edit", "&View", "&Help"}));
  EXPECT_EQ(FrameMenus().front().items.back(), command::kExit);

  std::vector<std::string> texts;
  for (const ToolbarButton& button : FrameToolbar())
    texts.push_back(button.commandId == command::kSeparator ? "|" : button.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "    Analyze    ", "    Recover    ", "Find Partitions", "      Stop      ",
                       "|", "  Find file  ", "    Filter    ", "|", "    Help    "}));
  // Every id a menu or the toolbar names is in the table.
  for (const FrameMenu& menu : FrameMenus())
    for (const uint32_t id : menu.items) EXPECT_NE(FindFrameCommand(id), nullptr) << id;
}

TEST(SupportLinks, MailLinkEncodesTheFeedbackQuery) {
  EXPECT_EQ(SupportMailLink("help@example.org", "Linux 6.1.0-18-amd64 (x86_64)"),
            "mailto:help@example.org?subject=Orvande%202.0%20feedback"
            "&body=Build%20Date%20Feb%2014%202005%0d%0aOS:%20Linux%206.1.0-18-amd64%20(x86_64)"
            "%0d%0a");
  // A value that would end its field stays inside it.
  EXPECT_EQ(SupportMailLink("m@x", "a&b=c%d"),
            "mailto:m@x?subject=Orvande%202.0%20feedback"
            "&body=Build%20Date%20Feb%2014%202005%0d%0aOS:%20a%26b%3Dc%25d%0d%0a");
  EXPECT_EQ(SupportMailLink().rfind("mailto:" + SupportMailbox() + "?subject=", 0), 0u);
}

}  // namespace
}  // namespace orvande
