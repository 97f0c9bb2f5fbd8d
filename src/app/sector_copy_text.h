#pragma once
// The sector viewer's selection as clipboard text, in two modes.
// Hex mode (the hex pane has the caret):
//            00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F       ASCII
//            -----------------------------------------------  ----------------
//   01F0:                                           FE FF                 ..
// one row per 16 bytes at their offset (aligned to 16), each byte's hex digits in its column and
// its character in the character column; unreadable bytes stay blank. Lines end in "\r\n".
// Character mode: the selected bytes as characters, up to the first unreadable one.
// At most kMaxCopyBytes of a selection are copied: a terabyte selection would otherwise need
// terabytes of text. One thread at a time (it reads through the cache).
#include <cstdint>
#include <string>

namespace orvande {

class SectorWindowCache;

enum class SectorCopyMode { kHex, kCharacters };

inline constexpr uint64_t kMaxCopyBytes = uint64_t{16} << 20;

struct SectorCopy {
  std::string text;  // 8-bit characters as SectorChar gives them
  bool shortened = false;  // the selection was longer than kMaxCopyBytes
};

// Bytes first to last, both included (first <= last).
SectorCopy SectorCopyText(SectorWindowCache& cache, uint64_t first, uint64_t last,
                          SectorCopyMode mode);

}  // namespace orvande
