#include "search/boot_trace.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "support/le_reader.h"

namespace orvande {
namespace {

constexpr size_t kOemNameOffset = 0x03;            // 4 bytes, "NTFS"
constexpr size_t kBytesPerSectorOffset = 0x0B;     // u16
constexpr size_t kSectorsPerClusterOffset = 0x0D;  // u8
constexpr size_t kTotalSectors16Offset = 0x13;     // u16, FAT
constexpr size_t kTotalSectors32Offset = 0x20;     // u32, FAT
constexpr size_t kNtfsTotalSectorsOffset = 0x28;   // u64
constexpr size_t kNtfsMftClusterOffset = 0x30;     // u64
constexpr size_t kNtfsMirrorClusterOffset = 0x38;  // u64
constexpr size_t kFat16TypeOffset = 0x36;          // 3 bytes, "FAT"
constexpr size_t kFat32TypeOffset = 0x52;          // 3 bytes, "FAT"

using Block = std::array<uint8_t, SearchCandidate::kBootSectorSize>;

bool IsFatMark(const Block& boot, size_t offset) {
  static constexpr char kMark[] = "fat";
  for (size_t i = 0; i < 3; ++i) {
    if (std::tolower(boot[offset + i]) != kMark[i]) return false;
  }
  return true;
}

void PutLe(Block& boot, size_t offset, uint64_t value, size_t width) {
  for (size_t i = 0; i < width; ++i) boot[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Sizes no volume can have are replaced, so that the analyzers can read the volume at all.
void CorrectSizes(Block& boot) {
  LeReader reader(boot.data(), boot.size());
  const uint32_t bytesPerSector = reader.U16(kBytesPerSectorOffset);
  if (bytesPerSector != 512 && bytesPerSector != 1024 && bytesPerSector != 2048 &&
      bytesPerSector != 4096)
    PutLe(boot, kBytesPerSectorOffset, 512, 2);
  const uint32_t sectorsPerCluster = reader.U8(kSectorsPerClusterOffset);
  if (sectorsPerCluster == 0 || (sectorsPerCluster & (sectorsPerCluster - 1)) != 0)
    PutLe(boot, kSectorsPerClusterOffset, 8, 1);
}

void CutToDiskEnd(SearchCandidate& candidate, uint64_t diskSectors) {
  const uint64_t position = candidate.firstSector;
  if (position >= diskSectors || candidate.sectorCount <= diskSectors - position) return;
  candidate.sectorCount = diskSectors - position;
  Block& boot = candidate.bootSector;
  if (candidate.fsKind == kFsNtfs) {
    PutLe(boot, kNtfsTotalSectorsOffset, candidate.sectorCount, 8);
  } else if (LeReader(boot.data(), boot.size()).U16(kTotalSectors16Offset) != 0) {
    PutLe(boot, kTotalSectors16Offset, candidate.sectorCount, 2);
  } else {
    PutLe(boot, kTotalSectors32Offset, candidate.sectorCount, 4);
  }
}

}  // namespace

std::optional<SearchCandidate> ReadBootTrace(std::span<const uint8_t> sector, uint64_t position,
                                             uint64_t diskSectors) {
  if (sector.size() < SearchCandidate::kBootSectorSize) return std::nullopt;
  SearchCandidate candidate;
  candidate.firstSector = position;
  std::copy_n(sector.begin(), candidate.bootSector.size(), candidate.bootSector.begin());
  const Block& boot = candidate.bootSector;
  LeReader reader(boot.data(), boot.size());

  if (std::memcmp(boot.data() + kOemNameOffset, "NTFS", 4) == 0) {
    const uint64_t total = reader.U64(kNtfsTotalSectorsOffset);
    if (reader.U64(kNtfsMftClusterOffset) >= total || reader.U64(kNtfsMirrorClusterOffset) >= total)
      return std::nullopt;
    candidate.fsKind = kFsNtfs;
    candidate.sectorCount = total;
  } else if (IsFatMark(boot, kFat16TypeOffset) || IsFatMark(boot, kFat32TypeOffset)) {
    candidate.fsKind = kFsFat;
    const uint32_t total16 = reader.U16(kTotalSectors16Offset);
    candidate.sectorCount = total16 != 0 ? total16 : reader.U32(kTotalSectors32Offset);
  } else {
    return std::nullopt;
  }
  CorrectSizes(candidate.bootSector);
  CutToDiskEnd(candidate, diskSectors);
  return candidate;
}

}  // namespace orvande
