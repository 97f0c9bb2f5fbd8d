#include "app/name_match.h"

#include <cstddef>
#include <cstdint>

#include "platform/wide_chars.h"

namespace orvande {
namespace {

// A byte outside any valid sequence decodes to this plus its value: above every real character,
// so it equals only the same byte and is neither a letter nor a digit.
constexpr char32_t kStrayByteBase = 0x110000;

struct Decoded {
  char32_t c = 0;
  size_t length = 1;
};

bool IsContinuation(uint8_t byte) {
  return (byte & 0xC0) == 0x80;
}

// The character starting at `at` (< text.size()). Overlong forms, surrogates and values past
// U+10FFFF are refused byte by byte, so a damaged name still compares as its bytes.
Decoded DecodeAt(std::string_view text, size_t at) {
  const auto lead = static_cast<uint8_t>(text[at]);
  if (lead < 0x80) return {lead, 1};
  size_t length = 0;
  char32_t c = 0;
  char32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    c = lead & 0x1F;
    smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    c = lead & 0x0F;
    smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    c = lead & 0x07;
    smallest = 0x10000;
  } else {
    return {kStrayByteBase + lead, 1};
  }
  if (text.size() - at < length) return {kStrayByteBase + lead, 1};
  for (size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<uint8_t>(text[at + i]);
    if (!IsContinuation(byte)) return {kStrayByteBase + lead, 1};
    c = (c << 6) | (byte & 0x3F);
  }
  if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    return {kStrayByteBase + lead, 1};
  return {c, length};
}

bool IsStray(char32_t c) {
  return c >= kStrayByteBase;
}

char32_t Folded(char32_t c) {
  if (c < 0x80) return c >= U'A' && c <= U'Z' ? c - U'A' + U'a' : c;
  return IsStray(c) ? c : platform::LowerCaseOf(c);
}

bool SameCharacter(char32_t a, char32_t b, bool matchCase) {
  if (a == b) return true;
  return !matchCase && Folded(a) == Folded(b);
}

bool IsLetterOrDigit(char32_t c) {
  return !IsStray(c) && platform::IsLetterOrDigit(c);
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

// Greedy with one backtrack point, the last "*" seen: linear memory, no recursion.
bool WildcardMatches(std::string_view name, std::string_view pattern, bool matchCase) {
  constexpr size_t kNoStar = std::string_view::npos;
  size_t n = 0;
  size_t p = 0;
  size_t afterStar = kNoStar;  // pattern position after the last "*"
  size_t starTakes = 0;        // name position where that "*"'s run ends so far
  while (n < name.size()) {
    if (p < pattern.size()) {
      if (pattern[p] == '*') {
        afterStar = ++p;
        starTakes = n;
        continue;
      }
      const Decoded want = DecodeAt(pattern, p);
      const Decoded have = DecodeAt(name, n);
      if (want.c == U'?' || SameCharacter(want.c, have.c, matchCase)) {
        p += want.length;
        n += have.length;
        continue;
      }
    }
    if (afterStar == kNoStar) return false;
    starTakes += DecodeAt(name, starTakes).length;
    n = starTakes;
    p = afterStar;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Whether text occurs at `at`; *end is where the occurrence ends in name.
bool OccursAt(std::string_view name, size_t at, std::string_view text, bool matchCase,
              size_t* end) {
  size_t n = at;
  for (size_t t = 0; t < text.size();) {
    if (n >= name.size()) return false;
    const Decoded want = DecodeAt(text, t);
    const Decoded have = DecodeAt(name, n);
    if (!SameCharacter(want.c, have.c, matchCase)) return false;
    t += want.length;
    n += have.length;
  }
  *end = n;
  return true;
}

bool OccurrenceMatches(std::string_view name, std::string_view text, bool wholeName,
                       bool matchCase) {
  char32_t before = 0;  // not a letter: the start of the name is a boundary
  for (size_t at = 0; at < name.size();) {
    size_t end = 0;
    if (OccursAt(name, at, text, matchCase, &end)) {
      if (!wholeName) return true;
      const bool freeAfter = end == name.size() || !IsLetterOrDigit(DecodeAt(name, end).c);
      if (freeAfter && !IsLetterOrDigit(before)) return true;
    }
    const Decoded here = DecodeAt(name, at);
    before = here.c;
    at += here.length;
  }
  return false;
}

}  // namespace

bool NameMatches(std::string_view name, std::string_view text, bool wholeName, bool matchCase) {
  if (text.empty()) return false;
  if (HasWildcard(text)) return WildcardMatches(name, text, matchCase);
  return OccurrenceMatches(name, text, wholeName, matchCase);
}

}  // namespace orvande
