#include "platform/wide_chars.h"

#include <locale.h>
#include <wctype.h>

namespace orvande::platform {
namespace {

// Made once and never freed: the classification tables live as long as the process.
locale_t Utf8Locale() {
  static const locale_t locale = [] {
    locale_t made = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (made == static_cast<locale_t>(0))
      made = newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(0));
    return made;
  }();
  return locale;
}

bool IsAscii(char32_t c) {
  return c < 0x80;
}

}  // namespace

char32_t LowerCaseOf(char32_t c) {
  if (IsAscii(c)) return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
  const locale_t locale = Utf8Locale();
  if (locale == static_cast<locale_t>(0)) return c;
  return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale));
}

bool IsLetterOrDigit(char32_t c) {
  if (IsAscii(c))
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
  const locale_t locale = Utf8Locale();
  if (locale == static_cast<locale_t>(0)) return false;
  return iswalnum_l(static_cast<wint_t>(c), locale) != 0;
}

}  // namespace orvande::platform
