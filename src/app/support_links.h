#pragma once
// The addresses behind "Orvande on the Web" and "&Request for Support". The web site and the
// support mailbox are set when the program is built, so that a distributor can give real ones.
// Plain functions; safe to use from any thread.
#include <string>
#include <string_view>

namespace orvande {

inline constexpr const char kFeedbackSubject[] = "Orvande 2.0 feedback";
inline constexpr const char kProgramBuildDate[] = "Feb 14 2005";

std::string ProductWebSite();
std::string SupportMailbox();

// "mailto:" + mailbox + the feedback query with subject, build date and OS version text, made
// safe for a mail link: blanks and the characters that would end a query field are
// percent-encoded; the body's line breaks are "%0d%0a".
std::string SupportMailLink(std::string_view mailbox, std::string_view osVersion);
// text made safe for a mail link's query value: every character but the unreserved ones and the
// harmless delimiters percent-encoded.
std::string PercentEncodedForMail(std::string_view text);

// With the built-in mailbox and the running OS.
std::string SupportMailLink();

}  // namespace orvande
