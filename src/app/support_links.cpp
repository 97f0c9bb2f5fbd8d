#include "app/support_links.h"

#include <cstdio>
#include <string_view>

#include "support/format.h"
#include "support/formatters.h"

namespace orvande {
namespace {

constexpr const char kSupportQueryFormat[] = "?subject=%s&body=Build Date %s%%0d%%0aOS: %s%%0d%%0a";

// What a mail link's query value may hold as it is: the unreserved characters and the delimiters
// that do not end a field ('&', '=', '#', '%' and '?' do). '+' is encoded too: some mail programs
// read it as a blank.
bool StaysInMailQuery(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("-._~!$'()*,;:@/").find(static_cast<char>(c)) != std::string_view::npos;
}

std::string PercentEncoded(std::string_view text) {
  std::string encoded;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (StaysInMailQuery(byte)) {
      encoded += c;
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", byte);
      encoded += escape;
    }
  }
  return encoded;
}

// The query's own words ("Build Date", "OS:") have blanks too; the filled-in values have none
// left once encoded.
std::string WithEncodedBlanks(const std::string& text) {
  std::string encoded;
  for (const char c : text) encoded += c == ' ' ? std::string("%20") : std::string(1, c);
  return encoded;
}

}  // namespace

std::string PercentEncodedForMail(std::string_view text) {
  return PercentEncoded(text);
}

std::string ProductWebSite() {
  return ORVANDE_WEB_SITE;
}
std::string SupportMailbox() {
  return ORVANDE_SUPPORT_MAIL;
}

std::string SupportMailLink(std::string_view mailbox, std::string_view osVersion) {
  const std::string query =
      Format(kSupportQueryFormat, PercentEncoded(kFeedbackSubject).c_str(),
             PercentEncoded(kProgramBuildDate).c_str(), PercentEncoded(osVersion).c_str());
  return "mailto:" + std::string(mailbox) + WithEncodedBlanks(query);
}

std::string SupportMailLink() {
  return SupportMailLink(SupportMailbox(), FormatOsVersion());
}

}  // namespace orvande
