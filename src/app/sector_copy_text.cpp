#include "app/sector_copy_text.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "app/sector_layout.h"
#include "app/sector_window_cache.h"

namespace orvande {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char kLineEnd[] = "\r\n";
constexpr int kHexCellsWidth = 47;   // 16 cells of "XX" with a blank between
constexpr int kAsciiTitleGap = 6;    // blanks after the column numbers before "ASCII"

void AppendHeader(std::string& text, int digits) {
  const int hexColumn = SectorHexColumn(digits);
  text.append(static_cast<size_t>(hexColumn), ' ');
  for (uint32_t column = 0; column < kSectorRowBytes; ++column) {
    text.push_back('0');
    text.push_back(kHexDigits[column]);
    text.push_back(' ');
  }
  text.append(kAsciiTitleGap, ' ');
  text += "ASCII";
  text += kLineEnd;
  text.append(static_cast<size_t>(hexColumn), ' ');
  text.append(kHexCellsWidth, '-');
  text += "  ";
  text.append(kSectorRowBytes, '-');
  text += kLineEnd;
}

void AppendRow(std::string& text, SectorWindowCache& cache, uint64_t rowStart, uint64_t first,
               uint64_t last, int digits) {
  std::string line(static_cast<size_t>(SectorRowTextWidth(digits)), ' ');
  char offsetText[24];
  std::snprintf(offsetText, sizeof offsetText, "%0*" PRIX64 ":", digits, rowStart);
  line.replace(0, static_cast<size_t>(digits) + 1, offsetText);
  for (uint32_t column = 0; column < kSectorRowBytes; ++column) {
    const uint64_t offset = rowStart + column;
    if (offset < first || offset > last) continue;
    uint8_t byte = 0;
    if (!cache.ByteAt(offset, &byte)) continue;
    const size_t cell = static_cast<size_t>(SectorHexCellColumn(digits, static_cast<int>(column)));
    line[cell] = kHexDigits[byte >> 4];
    line[cell + 1] = kHexDigits[byte & 0x0F];
    line[static_cast<size_t>(SectorCharColumn(digits)) + column] = SectorChar(byte);
  }
  text += line;
  text += kLineEnd;
}

std::string HexText(SectorWindowCache& cache, uint64_t first, uint64_t last) {
  const int digits = SectorOffsetDigits(last);
  const uint64_t firstRow = first - first % kSectorRowBytes;
  const uint64_t rows = (last - firstRow) / kSectorRowBytes + 1;
  std::string text;
  text.reserve(static_cast<size_t>((rows + 2) * (static_cast<uint64_t>(digits) + 70)));
  AppendHeader(text, digits);
  for (uint64_t row = 0; row < rows; ++row)
    AppendRow(text, cache, firstRow + row * kSectorRowBytes, first, last, digits);
  return text;
}

std::string CharacterText(SectorWindowCache& cache, uint64_t first, uint64_t last) {
  std::string text;
  text.reserve(static_cast<size_t>(last - first + 1));
  for (uint64_t offset = first;; ++offset) {
    uint8_t byte = 0;
    if (!cache.ByteAt(offset, &byte)) break;
    text.push_back(SectorChar(byte));
    if (offset == last) break;
  }
  return text;
}

}  // namespace

SectorCopy SectorCopyText(SectorWindowCache& cache, uint64_t first, uint64_t last,
                          SectorCopyMode mode) {
  SectorCopy copy;
  if (last < first) std::swap(first, last);
  if (last - first >= kMaxCopyBytes) {
    last = first + kMaxCopyBytes - 1;
    copy.shortened = true;
  }
  copy.text = mode == SectorCopyMode::kHex ? HexText(cache, first, last)
                                           : CharacterText(cache, first, last);
  return copy;
}

}  // namespace orvande
