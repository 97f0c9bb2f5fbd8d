#include "search/record_trace.h"

namespace orvande {
namespace {

constexpr size_t kOemNameOffset = 0x03;            // 4 bytes
constexpr size_t kBytesPerSectorOffset = 0x0B;     // u16
constexpr size_t kSectorsPerClusterOffset = 0x0D;  // u8
constexpr size_t kSectorsPerTrackOffset = 0x18;    // u16
constexpr size_t kTotalSectorsOffset = 0x28;       // u64
constexpr size_t kMftClusterOffset = 0x30;         // u64
constexpr size_t kSignatureOffset = 510;           // 0x55, 0xAA
constexpr uint64_t kUsualMftCluster = 4;

template <size_t N>
void PutLe(std::array<uint8_t, N>& block, size_t offset, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) block[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

uint32_t RecordTraceSectorsPerCluster(uint32_t bytesPerSector) {
  switch (bytesPerSector) {
    case 1024: return 4;
    case 2048: return 2;
    case 4096: return 1;
    default: return 8;
  }
}

RecordTracePlace PlaceRecordTrace(uint64_t position, uint32_t sectorsPerCluster) {
  const uint64_t s = sectorsPerCluster;
  // A table this close to the disk's start can't sit at its usual cluster 4.
  if (position < kUsualMftCluster * s) {
    const uint64_t q = position / s;
    return {position - q * s, q};
  }
  return {position - kUsualMftCluster * s, kUsualMftCluster};
}

SearchCandidate FillMadeUpNtfsBoot(std::array<uint8_t, SearchCandidate::kBootSectorSize>& block,
                                   const DiskShape& disk, uint64_t tableCluster, uint64_t start) {
  block[kOemNameOffset + 0] = 'N';
  block[kOemNameOffset + 1] = 'T';
  block[kOemNameOffset + 2] = 'F';
  block[kOemNameOffset + 3] = 'S';
  PutLe(block, kBytesPerSectorOffset, disk.bytesPerSector, 2);
  PutLe(block, kSectorsPerClusterOffset, RecordTraceSectorsPerCluster(disk.bytesPerSector), 1);
  PutLe(block, kMftClusterOffset, tableCluster, 8);
  PutLe(block, kSectorsPerTrackOffset, disk.sectorsPerTrack, 2);
  const uint64_t count = disk.totalSectors > start ? disk.totalSectors - start : 0;
  PutLe(block, kTotalSectorsOffset, count, 8);
  block[kSignatureOffset] = 0x55;
  block[kSignatureOffset + 1] = 0xAA;

  SearchCandidate candidate;
  candidate.fsKind = kFsNtfs;
  candidate.firstSector = start;
  candidate.sectorCount = count;
  candidate.bootSector = block;
  return candidate;
}

}  // namespace orvande
