#pragma once
// The bug-report mail that the user is offered after a crash or an internal failure: the
// consent box, and the "mailto:" link built from the crash record (or from the failure's text)
// once the user has agreed. Plain functions; the offers use the prompter and link opener they
// are given, from the thread those allow.
#include <string>
#include <string_view>

#include "platform/crash_record.h"

namespace orvande {

class LinkOpener;
class Prompter;

inline constexpr const char kCrashConsentText[] =
    "Unfortunately application experienced a problem running on your system and it will be "
    "closed now. However you have a possibility to send a bug report with all the information "
    "required for us to fix this problem. If you choose to proceed, an email message will be "
    "generated. You will be able to edit it and send it to our support team. The message WILL "
    "NOT be sent automatically without your notice. We will provide full support for you as "
    "soon as we receive the message. Do you want to proceed?";
inline constexpr const char kCrashReportSubject[] = "Orvande 2.0 Crash Report";
// Entries of the call stack that go into the mail; the report file holds them all.
inline constexpr unsigned kMailedStackEntries = 10;

std::string CrashMailLink(const platform::CrashRecord& record, std::string_view osVersion,
                          std::string_view mailbox);
std::string InternalFailureMailLink(std::string_view text, std::string_view osVersion,
                                    std::string_view mailbox);

// The consent box; true only when the user answered Yes.
bool AskCrashReportConsent(Prompter& prompter);

// The consent process's work: asks, and on Yes opens the mail built from the record file that
// the crash handler wrote beside reportPath. False when the user said no or there is no record.
// The opener failing is not reported.
bool OfferCrashMail(const std::string& reportPath, Prompter& prompter, LinkOpener& opener);
// The same offer for an internal failure described by text.
bool OfferInternalFailureMail(std::string_view text, Prompter& prompter, LinkOpener& opener);

}  // namespace orvande
