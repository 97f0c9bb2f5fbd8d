#pragma once
// The sector viewer's layout as plain text. Per block (sector) a header line
//   Sector 5 (cluster 5)
// then rows of up to 16 bytes counted from the start of the block:
//   0A00: 46 41 54 31 36 20 20 20-00 01 02 03 04 05 06 07  FAT16   ........
// i.e. the byte offset in upper-case hex, zero-padded to the digits of the last offset shown
// (2 to 16 digits), ":", a blank, the bytes as two upper-case hex digits separated by blanks with
// "-" between the 8th and 9th byte, two blanks, then the bytes as characters. A short row keeps
// the character column in place by padding the missing bytes with blanks. Unreadable bytes show
// as "??" and ".". Characters: 32 to 126 as themselves, everything else "." -- the viewer's own
// rule shows 127 to 255 in the platform's 8-bit character set, but on a UTF-8 terminal those
// bytes would not form valid text, so they are dotted too. Safe from any thread.
#include <cstddef>
#include <cstdint>
#include <iosfwd>

namespace orvande::cli {

inline constexpr size_t kBytesPerRow = 16;

// Hex digits of `lastOffset`, kept between 2 and 16.
int OffsetDigits(uint64_t lastOffset);

// The character shown for a byte.
char DisplayChar(uint8_t byte);

void WriteBlockHeader(std::ostream& out, uint64_t sector, uint64_t cluster);

// Rows for `size` bytes starting at byte offset `firstOffset` of the source; `bytes` null means
// the bytes could not be read.
void WriteHexRows(std::ostream& out, uint64_t firstOffset, const uint8_t* bytes, size_t size,
                  int offsetDigits);

}  // namespace orvande::cli
