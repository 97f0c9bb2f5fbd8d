#pragma once
// Reads a sector that ends with the boot signature as a FAT or NTFS boot sector, correcting the
// fields the analyzers would choke on. Safe from any thread.
#include <cstdint>
#include <optional>
#include <span>

#include "search/search_candidate.h"

namespace orvande {

// The candidate the sector at `position` stands for, or nothing. `sector` holds at least 512
// bytes; its boot sector is copied, with odd sector or cluster sizes put right and a length that
// runs past `diskSectors` cut to the disk's end (in the candidate and in the copy).
std::optional<SearchCandidate> ReadBootTrace(std::span<const uint8_t> sector, uint64_t position,
                                             uint64_t diskSectors);

}  // namespace orvande
