#include "app/partition_search_range.h"

namespace orvande {
namespace {

uint64_t ToSector(double amount, uint64_t unitBytes, uint32_t bytesPerSector) {
  const double sector = amount * static_cast<double>(unitBytes) / bytesPerSector;
  // Negative or absurd values come only from a broken edit; they stay inside the disk below.
  if (!(sector > 0)) return 0;
  if (sector >= 18446744073709551615.0) return UINT64_MAX;
  return static_cast<uint64_t>(sector);
}

}  // namespace

uint64_t SearchRangeUnit(uint64_t diskBytes) {
  return diskBytes > kGigabyte ? kGigabyte : kMegabyte;
}

std::optional<SearchSectorRange> FormSearchRange(double start, double end, uint64_t unitBytes,
                                                 uint32_t bytesPerSector, uint64_t totalSectors) {
  if (totalSectors == 0 || bytesPerSector == 0) return std::nullopt;
  uint64_t first = ToSector(start, unitBytes, bytesPerSector);
  uint64_t last = ToSector(end, unitBytes, bytesPerSector);
  first = first > kSearchRangeMargin ? first - kSearchRangeMargin : 0;
  last = last > UINT64_MAX - kSearchRangeMargin ? UINT64_MAX : last + kSearchRangeMargin;
  if (last <= first) return std::nullopt;
  if (first >= totalSectors) first = totalSectors - 1;
  if (last >= totalSectors) last = totalSectors - 1;
  return SearchSectorRange{first, last};
}

}  // namespace orvande
