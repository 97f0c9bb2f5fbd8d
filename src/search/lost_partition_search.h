#pragma once
// The lost partition search: scans a range of a whole disk for the boot sectors of FAT and NTFS
// volumes and the first records of NTFS master file tables, and adds every volume the analyzers
// accept to the disk's list of lost partitions. Runs on one worker thread; the cancel flag and
// the progress sink may be touched from another.
#include <cstdint>

#include "core/stop_flag.h"
#include "search/search_options.h"
#include "search/search_progress.h"
#include "support/result_codes.h"

namespace orvande {

class WholeDiskDevice;

// Several 64 KiB chunks are read at once for speed; results and reports stay those of single
// chunks. The copy out of the system's cache is most of the search's time, and it runs fastest
// into a buffer that stays in the processor's cache: larger reads were slower, not faster.
inline constexpr uint32_t kSearchBatchBytes = 1u << 20;

// The disk's sectors are smaller than 512 bytes.
inline constexpr ResultCode ErrSectorTooSmall = 0x85670C02;

// Scans sectors first to last (both inclusive) of the opened device. Returns the code of the
// last read when the range was scanned to its end, 0 when cancelled, or ErrSectorTooSmall.
uint32_t SearchLostPartitions(WholeDiskDevice& device, const StopFlag* cancel, uint64_t first,
                              uint64_t last, SearchProgress& progress,
                              const SearchOptionsSource& options);

}  // namespace orvande
