#include "app/sector_layout.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

namespace orvande {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr uint32_t kDefaultBlockSize = 512;

}  // namespace

int SectorOffsetDigits(uint64_t lastOffset) {
  int digits = 1;
  while (digits < 16 && (lastOffset >> (4 * digits)) != 0) ++digits;
  return std::max(digits, 2);
}

char SectorChar(uint8_t byte, SectorCharRule rule) {
  if (byte < 32) return '.';
  if (rule == SectorCharRule::kAsciiOnly && byte > 126) return '.';
  // 127 to 159 are control codes in the 8-bit set, nothing a font can draw.
  if (byte >= 127 && byte < 160) return '.';
  return static_cast<char>(byte);
}

std::string SectorHeaderText(uint64_t sector, uint64_t cluster) {
  char header[80];
  std::snprintf(header, sizeof header, "Sector %lld (cluster %lld)",
                static_cast<long long>(sector), static_cast<long long>(cluster));
  return header;
}

std::string SectorHeaderTextAt(uint64_t blockStart, uint32_t bytesPerSector,
                               uint32_t bytesPerCluster) {
  const uint64_t sectorBytes = bytesPerSector == 0 ? 1 : bytesPerSector;
  const uint64_t clusterBytes = bytesPerCluster == 0 ? sectorBytes : bytesPerCluster;
  const uint64_t sector = blockStart / sectorBytes;
  // sector * bytes per sector is blockStart rounded down: it cannot overflow.
  return SectorHeaderText(sector, sector * sectorBytes / clusterBytes);
}

std::string SectorRowText(uint64_t firstOffset, const SectorRowBytes& bytes, int digits,
                          SectorCharRule rule) {
  char offsetText[24];
  std::snprintf(offsetText, sizeof offsetText, "%0*" PRIX64, digits, firstOffset);
  std::string line(offsetText);
  line += ": ";
  const uint32_t count = std::min(bytes.count, kSectorRowBytes);
  for (uint32_t i = 0; i < kSectorRowBytes; ++i) {
    if (i >= count) {
      line += "  ";
    } else if (bytes.Readable(i)) {
      line.push_back(kHexDigits[bytes.value[i] >> 4]);
      line.push_back(kHexDigits[bytes.value[i] & 0x0F]);
    } else {
      line += "??";
    }
    if (i + 1 < kSectorRowBytes) line.push_back(i == 7 && count > 8 ? '-' : ' ');
  }
  line += "  ";
  for (uint32_t i = 0; i < count; ++i)
    line.push_back(bytes.Readable(i) ? SectorChar(bytes.value[i], rule) : '.');
  return line;
}

SectorLayout::SectorLayout(uint64_t totalSize, uint32_t blockSize)
    : totalSize_(totalSize), blockSize_(blockSize == 0 ? kDefaultBlockSize : blockSize) {}

uint64_t SectorLayout::RowCount() const {
  const uint64_t fullBlocks = totalSize_ / blockSize_;
  const uint64_t rest = totalSize_ % blockSize_;
  uint64_t rows = fullBlocks * RowsPerBlock();
  if (rest != 0) rows += 1 + (rest + kSectorRowBytes - 1) / kSectorRowBytes;
  return rows;
}

SectorRow SectorLayout::Row(uint64_t row) const {
  const uint64_t block = row / RowsPerBlock();
  const uint64_t within = row % RowsPerBlock();
  SectorRow result;
  result.blockStart = block * blockSize_;
  result.first = result.blockStart;
  if (within == 0) {
    result.header = true;
    return result;
  }
  result.first += (within - 1) * kSectorRowBytes;
  const uint64_t blockEnd = std::min<uint64_t>(result.blockStart + blockSize_, totalSize_);
  result.length = static_cast<uint32_t>(
      std::min<uint64_t>(kSectorRowBytes, blockEnd > result.first ? blockEnd - result.first : 0));
  return result;
}

uint64_t SectorLayout::RowOf(uint64_t offset) const {
  const uint64_t block = offset / blockSize_;
  return block * RowsPerBlock() + 1 + (offset % blockSize_) / kSectorRowBytes;
}

uint64_t SectorLayout::Left(uint64_t caret) const {
  return caret == 0 ? 0 : std::min(caret - 1, LastOffset());
}

uint64_t SectorLayout::Right(uint64_t caret) const {
  return caret >= LastOffset() ? LastOffset() : caret + 1;
}

uint64_t SectorLayout::ToRow(uint64_t fromRow, uint64_t toRow, uint64_t caret) const {
  const SectorRow from = Row(fromRow);
  const SectorRow to = Row(toRow);
  if (to.header || to.length == 0) return caret;
  const uint64_t column = caret - from.first;
  return to.first + std::min<uint64_t>(column, to.length - 1);
}

uint64_t SectorLayout::Up(uint64_t caret) const {
  if (Empty()) return 0;
  caret = std::min(caret, LastOffset());
  const uint64_t row = RowOf(caret);
  if (row < 2) return caret;
  const uint64_t above = Row(row - 1).header ? row - 2 : row - 1;
  if (Row(above).header) return caret;  // the source's first header
  return ToRow(row, above, caret);
}

uint64_t SectorLayout::Down(uint64_t caret) const {
  if (Empty()) return 0;
  caret = std::min(caret, LastOffset());
  const uint64_t row = RowOf(caret);
  uint64_t below = row + 1;
  if (below < RowCount() && Row(below).header) ++below;
  if (below >= RowCount()) return caret;
  return ToRow(row, below, caret);
}

uint64_t SectorLayout::PageUp(uint64_t caret) const {
  caret = std::min(caret, LastOffset());
  return caret < blockSize_ ? 0 : caret - blockSize_;
}

uint64_t SectorLayout::PageDown(uint64_t caret) const {
  caret = std::min(caret, LastOffset());
  return LastOffset() - caret < blockSize_ ? LastOffset() : caret + blockSize_;
}

}  // namespace orvande
