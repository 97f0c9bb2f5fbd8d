#include "support/formatters.h"

#include <gtest/gtest.h>

#include "recording_prompter.h"
#include "support/format.h"
#include "support/string_table.h"
#include "support/system_hooks.h"

namespace orvande {
namespace {

TEST(FormatSizeTest, EachUnitStartsAtOneHundredOfTheSmallerOne) {
  EXPECT_EQ(FormatSize(-1), "?");
  EXPECT_EQ(FormatSize(0), "0 Bytes");
  EXPECT_EQ(FormatSize(99), "99 Bytes");
  EXPECT_EQ(FormatSize(99.9), "99 Bytes");
  EXPECT_EQ(FormatSize(100), "0.10KB");
  EXPECT_EQ(FormatSize(102399), "100.00KB");
  EXPECT_EQ(FormatSize(102400), "0.10MB");
  EXPECT_EQ(FormatSize(104857599), "100.00MB");
  EXPECT_EQ(FormatSize(104857600), "0.10GB");
  EXPECT_EQ(FormatSize(2199023255552.0), "2048.00GB");
}

TEST(FormatTimeSpanTest, HoursAppearFromOneHourAndDoNotWrapAtADay) {
  EXPECT_EQ(FormatTimeSpan(0), "00:00");
  EXPECT_EQ(FormatTimeSpan(3599), "59:59");
  EXPECT_EQ(FormatTimeSpan(3600), "01:00:00");
  EXPECT_EQ(FormatTimeSpan(90061), "25:01:01");
  EXPECT_EQ(FormatTimeSpanOrUnknown(false, 5), "??:??");
}

TEST(FormatTest, LongTextsAreNotCut) {
  std::string big(5000, 'a');
  EXPECT_EQ(Format("<%s>", big.c_str()).size(), 5002u);
  EXPECT_EQ(Format("%s", ""), "");
}

TEST(ShowSystemErrorTest, ShowsTheSystemTextInAnErrorBox) {
  doubles::RecordingPrompter prompter;
  SetSystemHooks(SystemHooks{
      [](uint32_t code) { return code == 5 ? std::string("Permission denied") : std::string(); },
      nullptr});
  ShowSystemError(prompter, 5);
  ShowSystemError(prompter, 0x85670A02);
  SetSystemHooks(SystemHooks{});
  ASSERT_EQ(prompter.messages.size(), 2u);
  EXPECT_EQ(prompter.messages[0].text, "Permission denied");
  EXPECT_EQ(prompter.messages[0].caption, "Error");
  EXPECT_EQ(prompter.messages[0].icon, MessageIcon::kError);
  EXPECT_EQ(prompter.messages[1].text, "code=0x85670a02");
}

TEST(StringTableTest, KnownIdsHaveTextsAndUnknownOnesAreEmpty) {
  EXPECT_STREQ(LoadString(strings::kIdProbabilityGood), "good");
  EXPECT_STREQ(LoadString(strings::kIdProbabilityPoor), "poor");
  EXPECT_STREQ(LoadString(170), "Sectors View");
  EXPECT_STREQ(LoadString(1), "");
}

TEST(DefaultPrompterTest, AnswersNoToQuestions) {
  ::testing::internal::CaptureStderr();
  MessageAnswer answer = PrompterOrDefault(nullptr).ShowMessage(
      "Continue?", "Orvande", MessageIcon::kQuestion, MessageButtons::kYesNo);
  std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(answer, MessageAnswer::kNo);
  EXPECT_NE(printed.find("Continue?"), std::string::npos);
  EXPECT_EQ(PrompterOrDefault(nullptr).ConfirmFileReplace("/x"), ReplaceAnswer::kSkip);
  EXPECT_EQ(PrompterOrDefault(nullptr).AskBrokenFileName("?x").action, BrokenNameAnswer::kSkip);
  doubles::RecordingPrompter own;
  EXPECT_EQ(&PrompterOrDefault(&own), &own);
}

}  // namespace
}  // namespace orvande
