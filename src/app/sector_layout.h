#pragma once
// How the sector viewer lays a data source out, for every front end that shows it. Per block
// (sector) a header line
//   Sector 5 (cluster 5)
// then rows of up to 16 bytes counted from the start of the block:
//   0A00: 46 41 54 31 36 20 20 20-00 01 02 03 04 05 06 07  FAT16   ........
// the byte offset in upper-case hex, zero-padded to the digits of the last offset (2 to 16),
// ":", a blank, the bytes as two upper-case hex digits with "-" between the 8th and 9th byte,
// two blanks, then the bytes as characters. A short row keeps the character column in place.
// Unreadable bytes show as "??" and ".".
//
// SectorLayout maps rows to offsets and back with 64-bit arithmetic only, so that a source of
// terabytes has as many rows as it needs, and moves the caret as the viewer's keys do. Plain
// values and functions; safe from any thread.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvande {

inline constexpr uint32_t kSectorRowBytes = 16;

// Hex digits of `lastOffset`, kept between 2 and 16.
int SectorOffsetDigits(uint64_t lastOffset);

// Text columns of a row whose offset has `digits` digits.
constexpr int SectorHexColumn(int digits) { return digits + 2; }
constexpr int SectorHexCellColumn(int digits, int index) { return digits + 2 + 3 * index; }
constexpr int SectorCharColumn(int digits) { return digits + 2 + 49; }
constexpr int SectorRowTextWidth(int digits) { return SectorCharColumn(digits) + 16; }

enum class SectorCharRule {
  kEightBit,   // the printable bytes of the 8-bit set (ISO 8859-1): 32 to 126, 160 to 255
  kAsciiOnly,  // 32 to 126 as themselves, everything else "." (for UTF-8 terminals)
};
char SectorChar(uint8_t byte, SectorCharRule rule = SectorCharRule::kEightBit);

// "Sector %lld (cluster %lld)" for the block starting at blockStart. A zero sector or cluster
// size counts as one sector per cluster.
std::string SectorHeaderText(uint64_t sector, uint64_t cluster);
std::string SectorHeaderTextAt(uint64_t blockStart, uint32_t bytesPerSector,
                               uint32_t bytesPerCluster);

// The bytes of one row; bit i of readable set when byte i could be read.
struct SectorRowBytes {
  std::array<uint8_t, kSectorRowBytes> value{};
  uint32_t readable = 0;
  uint32_t count = 0;
  bool Readable(uint32_t i) const { return (readable >> i & 1u) != 0; }
};

std::string SectorRowText(uint64_t firstOffset, const SectorRowBytes& bytes, int digits,
                          SectorCharRule rule = SectorCharRule::kEightBit);

struct SectorRow {
  bool header = false;
  uint64_t blockStart = 0;  // the first offset of the row's block
  uint64_t first = 0;       // a data row's first offset; blockStart for a header
  uint32_t length = 0;      // a data row's bytes; 0 for a header
};

class SectorLayout {
 public:
  // An empty source: no rows.
  SectorLayout() = default;
  // blockSize 0 counts as 512.
  SectorLayout(uint64_t totalSize, uint32_t blockSize);

  uint64_t TotalSize() const { return totalSize_; }
  uint32_t BlockSize() const { return blockSize_; }
  bool Empty() const { return totalSize_ == 0; }
  uint64_t LastOffset() const { return totalSize_ == 0 ? 0 : totalSize_ - 1; }
  int OffsetDigits() const { return SectorOffsetDigits(LastOffset()); }

  uint64_t RowCount() const;
  // row < RowCount().
  SectorRow Row(uint64_t row) const;
  // The data row that holds offset (offset <= LastOffset()).
  uint64_t RowOf(uint64_t offset) const;

  // Caret moves; each result lies between 0 and LastOffset().
  uint64_t Left(uint64_t caret) const;
  uint64_t Right(uint64_t caret) const;
  // To the same column of the row before or after, skipping header lines; a shorter row takes
  // its last byte. At the first or last row the caret stays.
  uint64_t Up(uint64_t caret) const;
  uint64_t Down(uint64_t caret) const;
  uint64_t PageUp(uint64_t caret) const;
  uint64_t PageDown(uint64_t caret) const;
  uint64_t Home() const { return 0; }
  uint64_t End() const { return LastOffset(); }

 private:
  uint64_t RowsPerBlock() const { return 1 + (blockSize_ + kSectorRowBytes - 1) / kSectorRowBytes; }
  uint64_t ToRow(uint64_t fromRow, uint64_t toRow, uint64_t caret) const;

  uint64_t totalSize_ = 0;
  uint32_t blockSize_ = 512;
};

}  // namespace orvande
