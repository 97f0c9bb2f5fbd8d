#pragma once
// How the "Find Lost Partitions" window turns the range the user chose into the sectors the
// search scans. Pure functions; safe from any thread.
#include <cstdint>
#include <optional>

namespace orvande {

inline constexpr uint64_t kMegabyte = 1048576;
inline constexpr uint64_t kGigabyte = 1073741824;
// Room left on either side of the chosen range, so a volume starting right at its edge is seen.
inline constexpr uint64_t kSearchRangeMargin = 2000;

// The unit the window's start and end are given in: gigabytes for a disk above 1 GiB, else
// megabytes.
uint64_t SearchRangeUnit(uint64_t diskBytes);

struct SearchSectorRange {
  uint64_t first = 0;
  uint64_t last = 0;  // inclusive
};

// The sectors to scan for a range from `start` to `end` in `unitBytes`, widened by the margin and
// held inside the disk; nothing when the range is empty or the disk has no sectors.
std::optional<SearchSectorRange> FormSearchRange(double start, double end, uint64_t unitBytes,
                                                 uint32_t bytesPerSector, uint64_t totalSectors);

}  // namespace orvande
