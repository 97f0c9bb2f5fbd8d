#pragma once
// Byte layout of a partitions information file (".ovp"): a header, then one record per lost
// partition, little-endian, no padding. Constants only: safe from any thread.
#include <array>
#include <cstddef>
#include <cstdint>

namespace orvande::ovp {

inline constexpr std::array<uint8_t, 12> kMagic = {'O', 'V', 'P', 'A', 'R', 'T', 'I',
                                                   'T', 'I', 'O', 'N', 'S'};
// Every record carries a whole 512-byte boot sector; the header and each record say so.
inline constexpr uint32_t kRecordBootSectorSize = 512;

// Header.
inline constexpr size_t kHeaderMagic = 0;              // 12 bytes, kMagic
inline constexpr size_t kHeaderBootSectorSize = 12;    // u16, kRecordBootSectorSize
inline constexpr size_t kHeaderDiskNumber = 14;        // u32, the disk it was saved for
inline constexpr size_t kHeaderRecordCount = 18;       // u32
inline constexpr size_t kHeaderSize = 22;

// Record.
inline constexpr size_t kRecordBootSectorSizeField = 0;  // u32, kRecordBootSectorSize
inline constexpr size_t kRecordFsKind = 4;               // u32, 0 none, 1 FAT, 2 NTFS
inline constexpr size_t kRecordBytesPerSector = 8;       // u32
inline constexpr size_t kRecordFirstSector = 12;         // u64, absolute on the disk
inline constexpr size_t kRecordSectorCount = 20;         // u64
inline constexpr size_t kRecordBootSector = 28;          // 512 bytes
inline constexpr size_t kRecordSize = kRecordBootSector + kRecordBootSectorSize;

// File-system kinds from here on are not ours.
inline constexpr uint32_t kFirstUnknownFsKind = 3;

}  // namespace orvande::ovp
