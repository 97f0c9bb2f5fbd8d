#pragma once
// The sector viewer's layout (app/sector_layout.h) as terminal text: the same header lines and
// rows, one per line. Characters: 32 to 126 as themselves, everything else "." -- the viewer
// shows 127 to 255 in the platform's 8-bit character set, but on a UTF-8 terminal those bytes
// would not form valid text, so they are dotted too. Safe from any thread.
#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include "app/sector_layout.h"

namespace orvande::cli {

inline constexpr size_t kBytesPerRow = kSectorRowBytes;

// Hex digits of `lastOffset`, kept between 2 and 16.
inline int OffsetDigits(uint64_t lastOffset) { return SectorOffsetDigits(lastOffset); }

// The character shown for a byte.
inline char DisplayChar(uint8_t byte) { return SectorChar(byte, SectorCharRule::kAsciiOnly); }

void WriteBlockHeader(std::ostream& out, uint64_t sector, uint64_t cluster);

// Rows for `size` bytes starting at byte offset `firstOffset` of the source; `bytes` null means
// the bytes could not be read.
void WriteHexRows(std::ostream& out, uint64_t firstOffset, const uint8_t* bytes, size_t size,
                  int offsetDigits);

}  // namespace orvande::cli
