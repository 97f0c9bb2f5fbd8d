#pragma once
// Text conversions for names read from disk: FAT short names in code page 437, long FAT names and
// NTFS names in UTF-16LE. Every name inside the program is UTF-8. Damaged input never fails: what
// cannot be decoded becomes U+FFFD. Safe to use from any thread.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvande {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends the UTF-8 form of a code point; surrogates and values above U+10FFFF give U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);

char32_t Cp437ToUnicode(uint8_t byte);
std::string Cp437ToUtf8(std::span<const uint8_t> bytes);
std::string Cp437ToUtf8(std::string_view bytes);

// Pairs surrogates; an unpaired one, or an odd final byte, becomes U+FFFD. NUL units are kept:
// callers cut names at their own terminators.
std::string Utf16ToUtf8(std::u16string_view units);
std::string Utf16LeToUtf8(std::span<const uint8_t> bytes);

// Malformed UTF-8 (bad lead or continuation bytes, overlong forms, encoded surrogates) gives
// U+FFFD for each offending byte sequence.
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace orvande
