#pragma once
// Reading directory data so that a bad sector costs only its own entries: a run that can't be
// read whole is read again one sector at a time, and the sectors that fail are left out (and
// recorded as bad sectors of the analyzer). Used by the analysis worker.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvande {

class VolumeAnalyzer;

// Bytes of the caller's buffer that hold directory data as read from the volume.
struct ReadStretch {
  size_t offset = 0;
  size_t bytes = 0;
};

// Reads `count` sectors from `first` into buffer (at least count sectors long). Returns what
// could be read as stretches in order: one for a whole run, none when nothing came back.
std::vector<ReadStretch> ReadDirectorySectors(VolumeAnalyzer& analyzer, uint64_t first,
                                              uint32_t count, std::span<uint8_t> buffer);

}  // namespace orvande
