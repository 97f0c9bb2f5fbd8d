#include "cli/hex_layout.h"

#include <algorithm>
#include <ostream>

namespace orvande::cli {

void WriteBlockHeader(std::ostream& out, uint64_t sector, uint64_t cluster) {
  out << SectorHeaderText(sector, cluster) << '\n';
}

void WriteHexRows(std::ostream& out, uint64_t firstOffset, const uint8_t* bytes, size_t size,
                  int offsetDigits) {
  for (size_t done = 0; done < size; done += kBytesPerRow) {
    SectorRowBytes row;
    row.count = static_cast<uint32_t>(std::min(kBytesPerRow, size - done));
    if (bytes != nullptr) {
      std::copy_n(bytes + done, row.count, row.value.begin());
      row.readable = (1u << row.count) - 1;
    }
    out << SectorRowText(firstOffset + done, row, offsetDigits, SectorCharRule::kAsciiOnly)
        << '\n';
  }
}

}  // namespace orvande::cli
