#include "cli/hex_layout.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <ostream>
#include <string>

namespace orvande::cli {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHexByte(std::string& line, uint8_t byte) {
  line.push_back(kHexDigits[byte >> 4]);
  line.push_back(kHexDigits[byte & 0x0F]);
}

std::string FormatRow(uint64_t offset, const uint8_t* bytes, size_t count, int offsetDigits) {
  char offsetText[24];
  std::snprintf(offsetText, sizeof offsetText, "%0*" PRIX64, offsetDigits, offset);
  std::string line(offsetText);
  line += ": ";
  for (size_t i = 0; i < kBytesPerRow; ++i) {
    if (i < count) {
      if (bytes) {
        AppendHexByte(line, bytes[i]);
      } else {
        line += "??";
      }
    } else {
      line += "  ";
    }
    if (i + 1 < kBytesPerRow) line.push_back(i == 7 && count > 8 ? '-' : ' ');
  }
  line += "  ";
  for (size_t i = 0; i < count; ++i) line.push_back(bytes ? DisplayChar(bytes[i]) : '.');
  line.push_back('\n');
  return line;
}

}  // namespace

int OffsetDigits(uint64_t lastOffset) {
  int digits = 1;
  while (digits < 16 && (lastOffset >> (4 * digits)) != 0) ++digits;
  return std::max(digits, 2);
}

char DisplayChar(uint8_t byte) {
  return byte >= 32 && byte <= 126 ? static_cast<char>(byte) : '.';
}

void WriteBlockHeader(std::ostream& out, uint64_t sector, uint64_t cluster) {
  char header[80];
  std::snprintf(header, sizeof header, "Sector %lld (cluster %lld)\n",
                static_cast<long long>(sector), static_cast<long long>(cluster));
  out << header;
}

void WriteHexRows(std::ostream& out, uint64_t firstOffset, const uint8_t* bytes, size_t size,
                  int offsetDigits) {
  for (size_t done = 0; done < size; done += kBytesPerRow) {
    size_t count = std::min(kBytesPerRow, size - done);
    out << FormatRow(firstOffset + done, bytes ? bytes + done : nullptr, count, offsetDigits);
  }
}

}  // namespace orvande::cli
