// The bug-report mail after a crash or an internal failure, and the consent that gates it.
#include <gtest/gtest.h>

#include "app/crash_mail.h"
#include "common/port_doubles.h"
#include "common/temp_folder.h"
#include "platform/crash_report_file.h"

namespace orvande {
namespace {

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

platform::CrashRecord RecordWithFrames(uint32_t frames) {
  platform::CrashRecord record;
  record.exceptionCode = 0xC0000005;
  record.faultAddress = 0x401000;
  record.faultWord = platform::kUnreadableWord;
  record.rax = 0xAA;
  record.rsp = 0x7FFC0000;
  record.frameCount = frames;
  for (uint32_t i = 0; i < frames; ++i) record.callStack[i] = {0x1000 + i, 0x2000 + i};
  return record;
}

TEST(CrashMail, LinkCarriesHeadAndAtMostTenStackEntries) {
  const std::string link = CrashMailLink(RecordWithFrames(3), "Linux 6.1 (x86_64)", "box@x.org");
  EXPECT_EQ(link.rfind("mailto:box@x.org?subject=Orvande%202.0%20Crash%20Report&body=OS:%20", 0),
            0u)
      << link;
  EXPECT_NE(link.find("Linux%206.1%20(x86_64)%20%20Built%20on%20Feb%2014%202005"),
            std::string::npos);
  EXPECT_NE(link.find("Exception:%20C0000005%20ACCESS_VIOLATION%20%20IP:%200000000000401000%20("
                      "FFFFFFFFFFFFFFFF)%0d%0aRAX:00000000000000AA"),
            std::string::npos)
      << link;
  EXPECT_NE(link.find("RSP:000000007FFC0000%0d%0a0000000000001000%20%200000000000002000"),
            std::string::npos);
  // Head break, one per entry, and the closing one.
  EXPECT_EQ(CountOf(link, "%0d%0a"), 1u + 3u + 1u);
  EXPECT_EQ(CountOf(CrashMailLink(RecordWithFrames(12), "", "b"), "%0d%0a"), 1u + 10u + 1u);
}

TEST(CrashMail, InternalFailureLinkKeepsTheFixedRegisterText) {
  EXPECT_EQ(InternalFailureMailLink("NVI163 E Disk", "Linux", "b@x"),
            "mailto:b@x?subject=Orvande%202.0%20Crash%20Report&body=OS:%20Linux%20%20Built%20on%20"
            "Feb%2014%202005%20%20NVI163%20E%20Disk%20%20ACCESS%20VIOLATION%20%20EAX%3D0x00006739"
            "%20ECX%3D0x00000000%20EDX%3D0xFFFFFFFF%0d%0a");
}

TEST(CrashMail, MailIsOpenedOnlyAfterYes) {
  test::TempFolder folder("crashmail");
  const std::string report = (folder / "CrashReport.txt").string();
  ASSERT_TRUE(platform::WriteCrashRecordFile(platform::CrashRecordPath(report).c_str(),
                                             RecordWithFrames(1)));
  struct Case {
    MessageAnswer answer;
    bool recordThere;
    size_t links;
  } cases[] = {{MessageAnswer::kNo, true, 0}, {MessageAnswer::kYes, true, 1},
               {MessageAnswer::kYes, false, 0}};
  for (const Case& c : cases) {
    test::ScriptedPrompter prompter({c.answer});
    test::RecordingLinkOpener opener;
    const std::string path = c.recordThere ? report : (folder / "missing.txt").string();
    EXPECT_EQ(OfferCrashMail(path, prompter, opener), c.links == 1);
    ASSERT_EQ(prompter.Prompts().size(), 1u);
    EXPECT_EQ(prompter.Prompts()[0].text, kCrashConsentText);
    EXPECT_EQ(prompter.Prompts()[0].caption, "Orvande");
    EXPECT_EQ(prompter.Prompts()[0].icon, MessageIcon::kError);
    EXPECT_EQ(prompter.Prompts()[0].buttons, MessageButtons::kYesNo);
    EXPECT_EQ(opener.opened.size(), c.links);
  }
  test::ScriptedPrompter refusing({MessageAnswer::kNo});
  test::RecordingLinkOpener opener;
  EXPECT_FALSE(OfferInternalFailureMail("NVI246", refusing, opener));
  EXPECT_TRUE(opener.opened.empty());
}

}  // namespace
}  // namespace orvande
