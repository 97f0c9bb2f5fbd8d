#pragma once
// Letter case and letter-or-digit classes of Unicode characters, as the C library knows them
// under a UTF-8 locale (which the process's own locale need not be). Safe to use from any thread.
namespace orvande::platform {

// The lower-case form of a character; the character itself when it has none, or when no UTF-8
// locale is installed and it lies outside ASCII.
char32_t LowerCaseOf(char32_t c);

// Whether the character is a letter or a digit (outside ASCII only with a UTF-8 locale).
bool IsLetterOrDigit(char32_t c);

}  // namespace orvande::platform
