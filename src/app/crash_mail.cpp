#include "app/crash_mail.h"

#include <cinttypes>

#include "app/link_opener.h"
#include "app/support_links.h"
#include "platform/crash_exception.h"
#include "platform/crash_report_file.h"
#include "support/format.h"
#include "support/formatters.h"
#include "support/prompter.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr const char kLineBreak[] = "%0d%0a";

// Text of the mail body, encoded for the link. The line breaks are added by the callers,
// already encoded.
std::string Encoded(const std::string& text) {
  return PercentEncodedForMail(text);
}

std::string CrashBodyHead(const platform::CrashRecord& r, std::string_view osVersion) {
  const std::string summary =
      Format("OS: %s  Built on %s  Exception: %08X %s  IP: %016" PRIX64 " (%016" PRIX64 ")",
             std::string(osVersion).c_str(), kProgramBuildDate, r.exceptionCode,
             platform::ExceptionName(r.exceptionCode), r.faultAddress, r.faultWord);
  const std::string registers = Format(
      "RAX:%016" PRIX64 " RBX:%016" PRIX64 " RCX:%016" PRIX64 " RDX:%016" PRIX64
      " RSI:%016" PRIX64 " RDI:%016" PRIX64 " RBP:%016" PRIX64 " RSP:%016" PRIX64,
      r.rax, r.rbx, r.rcx, r.rdx, r.rsi, r.rdi, r.rbp, r.rsp);
  return Encoded(summary) + kLineBreak + Encoded(registers);
}

std::string CrashBodyTail(const platform::CrashRecord& r) {
  std::string tail;
  for (uint32_t i = 0; i < r.frameCount && i < kMailedStackEntries; ++i) {
    const platform::CrashFrame& entry = r.callStack[i];
    tail += kLineBreak;
    tail += Encoded(Format("%016" PRIX64 "  %016" PRIX64, entry.returnAddress,
                           entry.frameAddress));
  }
  return tail;
}

std::string MailLink(std::string_view mailbox, const std::string& body) {
  return "mailto:" + std::string(mailbox) + "?subject=" + Encoded(kCrashReportSubject) +
         "&body=" + body + kLineBreak;
}

}  // namespace

std::string CrashMailLink(const platform::CrashRecord& record, std::string_view osVersion,
                          std::string_view mailbox) {
  return MailLink(mailbox, CrashBodyHead(record, osVersion) + CrashBodyTail(record));
}

std::string InternalFailureMailLink(std::string_view text, std::string_view osVersion,
                                    std::string_view mailbox) {
  const std::string body =
      Format("OS: %s  Built on %s  %s  ACCESS VIOLATION  EAX=0x00006739 ECX=0x00000000 "
             "EDX=0xFFFFFFFF",
             std::string(osVersion).c_str(), kProgramBuildDate, std::string(text).c_str());
  return MailLink(mailbox, Encoded(body));
}

bool AskCrashReportConsent(Prompter& prompter) {
  return prompter.ShowMessage(kCrashConsentText, strings::kProgramTitle, MessageIcon::kError,
                              MessageButtons::kYesNo) == MessageAnswer::kYes;
}

bool OfferCrashMail(const std::string& reportPath, Prompter& prompter, LinkOpener& opener) {
  if (!AskCrashReportConsent(prompter)) return false;
  platform::CrashRecord record;
  if (!platform::ReadCrashRecordFile(platform::CrashRecordPath(reportPath), &record)) return false;
  opener.OpenLink(CrashMailLink(record, FormatOsVersion(), SupportMailbox()));
  return true;
}

bool OfferInternalFailureMail(std::string_view text, Prompter& prompter, LinkOpener& opener) {
  if (!AskCrashReportConsent(prompter)) return false;
  opener.OpenLink(InternalFailureMailLink(text, FormatOsVersion(), SupportMailbox()));
  return true;
}

}  // namespace orvande
