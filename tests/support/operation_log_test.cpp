#include "support/operation_log.h"

#include <gtest/gtest.h>

#include <string>

#include "recording_prompter.h"
#include "support/string_table.h"
#include "support/system_hooks.h"

namespace orvande {
namespace {

using doubles::RecordingPrompter;

std::string FakeErrorText(uint32_t code) {
  return code == 23 ? "Data error" : std::string();
}

TEST(OperationLogTest, LevelsChooseThePrefixAndOnlyWarningsAndErrorsAreFlagged) {
  OperationLog log;
  log.Add(OperationLog::kPlain, "plain");
  log.Add(OperationLog::kWarning, "careful");
  log.Add(OperationLog::kError, "broken");
  log.Add(OperationLog::kError, "");  // empty text: nothing at all
  ASSERT_EQ(log.Lines().size(), 3u);
  EXPECT_EQ(log.Lines()[0], "plain");
  EXPECT_EQ(log.Lines()[1], "WARNING: careful");
  EXPECT_EQ(log.Lines()[2], "ERROR: broken");
  EXPECT_EQ(log.LineCount(), 3u);
  EXPECT_EQ(log.FlaggedCount(), 2u);
}

TEST(OperationLogTest, The512thLineIsAnEllipsisAndLaterLinesAreCountedButDropped) {
  OperationLog log;
  for (int i = 1; i <= 600; ++i) log.AddFormat(OperationLog::kError, "line %d", i);
  ASSERT_EQ(log.Lines().size(), 512u);
  EXPECT_EQ(log.Lines()[510], "ERROR: line 511");
  EXPECT_EQ(log.Lines()[511], "...");
  EXPECT_EQ(log.LineCount(), 600u);
  EXPECT_EQ(log.FlaggedCount(), 600u);
  for (const std::string& line : log.Lines()) EXPECT_NE(line, "ERROR: line 513");
}

TEST(OperationLogTest, ShowIsSilentForPlainLinesButAlwaysEmptiesTheLog) {
  RecordingPrompter prompter;
  OperationLog log;
  log.Add(OperationLog::kPlain, "just talking");
  log.Show(prompter);
  EXPECT_TRUE(prompter.logs.empty());
  EXPECT_EQ(log.LineCount(), 0u);
  EXPECT_TRUE(log.Lines().empty());

  log.Add(OperationLog::kPlain, "context");
  log.Add(OperationLog::kWarning, "odd");
  log.Show(prompter);
  ASSERT_EQ(prompter.logs.size(), 1u);
  EXPECT_EQ(prompter.logs[0], "context\r\nWARNING: odd\r\n");
  EXPECT_EQ(log.FlaggedCount(), 0u);
  log.Show(prompter);
  EXPECT_EQ(prompter.logs.size(), 1u);  // emptied: nothing to show a second time
}

TEST(OperationLogTest, ShownTextStopsAfterTheLineThatPassesTheLimit) {
  OperationLog log;
  const std::string chunk(998, 'x');  // 1000 characters with the line end
  for (int i = 0; i < 40; ++i) log.Add(OperationLog::kPlain, chunk);
  log.Add(OperationLog::kError, "flag");
  std::string text = log.JoinedText();
  // 16 lines make exactly 16,000 characters, the 17th passes 16,384 and is the last one kept.
  EXPECT_EQ(text.size(), 17000u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST(OperationLogTest, PlatformErrorsUseSystemTextBelow65000AndTheCodeAbove) {
  SetSystemHooks(SystemHooks{&FakeErrorText, nullptr});
  OperationLog log;
  log.AddPlatformError(0);
  EXPECT_EQ(log.LineCount(), 0u);
  log.AddPlatformError(23);
  log.AddPlatformError(65000);
  log.AddPlatformError(0x85670A02);
  log.AddPlatformError(64999);  // a number without system text still leaves a trace
  SetSystemHooks(SystemHooks{});
  ASSERT_EQ(log.Lines().size(), 4u);
  EXPECT_EQ(log.Lines()[0], "ERROR: Data error\r\n");
  EXPECT_EQ(log.Lines()[1], "ERROR: code=0xfde8\r\n");
  EXPECT_EQ(log.Lines()[2], "ERROR: code=0x85670a02\r\n");
  EXPECT_EQ(log.Lines()[3], "ERROR: code=0xfde7\r\n");
  EXPECT_EQ(log.FlaggedCount(), 4u);
}

TEST(OperationLogTest, StringIdsAreFormatsAndLineVariantsEndTheText) {
  OperationLog log;
  log.AddIdLine(OperationLog::kError, strings::kIdCantRecoverFile, "a.txt");
  log.AddId(OperationLog::kWarning, strings::kIdBadSectorAt, uint64_t{0x1234});
  log.AddFormatLine(OperationLog::kPlain, "%s=%u", "n", 7u);
  ASSERT_EQ(log.Lines().size(), 3u);
  EXPECT_EQ(log.Lines()[0], "ERROR: Can't recover the file \"a.txt\".\r\n");
  EXPECT_EQ(log.Lines()[1], "WARNING: Bad sector at: 0x0000000000001234");
  EXPECT_EQ(log.Lines()[2], "n=7\r\n");
}

TEST(OperationLogTest, ByteDumpWritesTitleThenOneHexLine) {
  OperationLog log;
  const uint8_t bytes[] = {0x00, 0xAB, 0x7F};
  log.AddByteDump(OperationLog::kError, "record:", bytes, sizeof bytes);
  log.AddByteDump(OperationLog::kPlain, nullptr, bytes, 1);
  ASSERT_EQ(log.Lines().size(), 3u);
  EXPECT_EQ(log.Lines()[0], "ERROR: record:");
  EXPECT_EQ(log.Lines()[1], "ERROR: 00 AB 7F \r\n");
  EXPECT_EQ(log.Lines()[2], "00 \r\n");
}

}  // namespace
}  // namespace orvande
