#pragma once
// The boot sector fields a FAT volume is read with, decoded from its first 512 bytes. A value;
// safe to use from any thread.
#include <cstddef>
#include <cstdint>
#include <span>

namespace orvande {

namespace fat_boot {
inline constexpr size_t kSize = 512;
inline constexpr size_t kOemNameOffset = 3;          // 4 bytes, "NTFS" refuses the volume
inline constexpr size_t kBytesPerSectorOffset = 11;  // u16
inline constexpr size_t kSectorsPerClusterOffset = 13;  // u8
inline constexpr size_t kReservedSectorsOffset = 14;    // u16
inline constexpr size_t kNumberOfFatsOffset = 16;       // u8
inline constexpr size_t kRootEntriesOffset = 17;        // u16, FAT12/16
inline constexpr size_t kTotalSectors16Offset = 19;     // u16
inline constexpr size_t kSectorsPerFat16Offset = 22;    // u16, FAT12/16
inline constexpr size_t kTotalSectors32Offset = 32;     // u32
inline constexpr size_t kSectorsPerFat32Offset = 36;    // u32, FAT32
inline constexpr size_t kRootClusterOffset = 44;        // u32, FAT32
}  // namespace fat_boot

struct FatBootFields {
  bool ntfsOemName = false;
  uint32_t bytesPerSector = 0;
  uint32_t sectorsPerCluster = 0;
  uint32_t reservedSectors = 0;
  uint32_t numberOfFats = 0;
  uint32_t rootEntries = 0;
  uint32_t totalSectors16 = 0;
  uint32_t sectorsPerFat16 = 0;
  uint32_t totalSectors32 = 0;
  uint32_t sectorsPerFat32 = 0;
  uint32_t rootCluster = 0;

  // Fields that do not fit the span read as 0.
  static FatBootFields Decode(std::span<const uint8_t> bytes);

  // The 16-bit total when not 0, else the 32-bit one.
  uint32_t TotalSectors() const { return totalSectors16 != 0 ? totalSectors16 : totalSectors32; }
  // The 16-bit length of one FAT when not 0, else the 32-bit one.
  uint32_t SectorsPerFatAny() const {
    return sectorsPerFat16 != 0 ? sectorsPerFat16 : sectorsPerFat32;
  }
  // Sectors of the fixed root directory of FAT12/16 (0 when the sector size is 0).
  uint32_t FixedRootDirSectors() const;
};

}  // namespace orvande
