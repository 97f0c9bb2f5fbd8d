#pragma once
// Builds the boot sector of an NTFS volume whose master file table was found without it. One
// thread at a time per instance.
#include <cstdint>

#include "search/search_candidate.h"

namespace orvande {

struct DiskShape {
  uint32_t bytesPerSector = 512;
  uint32_t sectorsPerTrack = 0;
  uint64_t totalSectors = 0;
};

// Clusters of 4096 bytes where the sector size allows it, else 8 sectors.
uint32_t RecordTraceSectorsPerCluster(uint32_t bytesPerSector);

// Writes the fields of a made-up NTFS boot sector into `block` (others are left as they are):
// the OEM name, sector and cluster size, the table's cluster, sectors per track, the total
// sectors from `start` to the disk's end and the signature. Returns the candidate.
SearchCandidate FillMadeUpNtfsBoot(std::array<uint8_t, SearchCandidate::kBootSectorSize>& block,
                                   const DiskShape& disk, uint64_t tableCluster, uint64_t start);

// Where a volume starts whose table's own record lies at `position`, and its table's cluster.
struct RecordTracePlace {
  uint64_t start = 0;
  uint64_t tableCluster = 0;
};
RecordTracePlace PlaceRecordTrace(uint64_t position, uint32_t sectorsPerCluster);

}  // namespace orvande
