#pragma once
// The 32-byte FAT directory entry: field offsets, the validity test, the short name and its
// checksum, and the conversion of FAT dates. Pure functions over bytes; safe from any thread
// (DosTimeConverter is a value used by one thread).
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace orvande {

namespace fat_dir {
inline constexpr size_t kEntrySize = 32;
inline constexpr size_t kNameOffset = 0;            // 11 bytes (8.3, blank-padded)
inline constexpr size_t kNameBytes = 8;
inline constexpr size_t kExtensionOffset = 8;       // 3 bytes
inline constexpr size_t kExtensionBytes = 3;
inline constexpr size_t kShortNameBytes = 11;
inline constexpr size_t kAttributesOffset = 11;     // u8
inline constexpr size_t kCaseFlagsOffset = 12;      // u8, lower-case flags of the short name
inline constexpr size_t kCreateTenthsOffset = 13;   // u8, 10-ms units; long entry: checksum
inline constexpr size_t kCreateTimeOffset = 14;     // u16
inline constexpr size_t kCreateDateOffset = 16;     // u16
inline constexpr size_t kClusterHighOffset = 20;    // u16
inline constexpr size_t kWriteTimeOffset = 22;      // u16
inline constexpr size_t kWriteDateOffset = 24;      // u16
inline constexpr size_t kClusterLowOffset = 26;     // u16; long entry: must be 0
inline constexpr size_t kSizeOffset = 28;           // u32

// Long-name entry: the sequence byte and the three parts of 13 UTF-16 units.
inline constexpr size_t kSequenceOffset = 0;        // u8
inline constexpr size_t kChecksumOffset = 13;       // u8
inline constexpr size_t kLongPart1Offset = 1;       // 5 x u16
inline constexpr size_t kLongPart1Units = 5;
inline constexpr size_t kLongPart2Offset = 14;      // 6 x u16
inline constexpr size_t kLongPart2Units = 6;
inline constexpr size_t kLongPart3Offset = 28;      // 2 x u16
inline constexpr size_t kLongPart3Units = 2;

inline constexpr uint8_t kEndMarker = 0x00;
inline constexpr uint8_t kDeletedMarker = 0xE5;
inline constexpr uint8_t kLastPieceFlag = 0x40;
inline constexpr uint8_t kAttrVolumeLabel = 0x08;
inline constexpr uint8_t kAttrDirectory = 0x10;
inline constexpr uint8_t kAttrLongNameMask = 0x3F;
inline constexpr uint8_t kAttrLongName = 0x0F;
// Short names written in lower case keep upper-case bytes and say so in the case flags.
inline constexpr uint8_t kLowerCaseBase = 0x08;
inline constexpr uint8_t kLowerCaseExtension = 0x10;
}  // namespace fat_dir

using DirEntry = std::span<const uint8_t, fat_dir::kEntrySize>;

inline bool IsLongNameEntry(DirEntry e) {
  return (e[fat_dir::kAttributesOffset] & fat_dir::kAttrLongNameMask) == fat_dir::kAttrLongName;
}
inline bool IsDeletedEntry(DirEntry e) { return e[0] == fat_dir::kDeletedMarker; }
bool IsZeroEntry(DirEntry e);
// The first cluster as stored: (high word << 16) | low word (callers mask it).
uint32_t EntryFirstCluster(DirEntry e);
uint32_t EntrySize(DirEntry e);

// The plausibility test of an entry. The masked first cluster may be at most clusterCount + 1
// (the volume's last cluster); mask is the volume's cluster mask (FAT12 0xFFF, FAT16 0xFFFF, FAT32
// 0x0FFFFFFF).
bool IsValidEntry(DirEntry e, uint32_t clusterCount, uint32_t clusterMask, bool* isLongName,
                  bool* countable);

// The checksum a long name keeps of its short entry's 11 name bytes.
uint8_t ShortNameChecksum(DirEntry e);

// The 8.3 name as shown: name less trailing blanks (the first byte always kept), then "." and
// the extension less trailing blanks when there is one, code page 437 as UTF-8. A first byte
// 0x05 stands for 0xE5; the case flags turn the base name or the extension to lower case.
// firstCharacter, when not empty, replaces the first byte (a deleted entry's lost first
// character).
std::string ShortNameText(DirEntry e, const std::string& firstCharacter);

// The first character of a UTF-8 name in upper case (Latin, Greek and Cyrillic letters), as
// UTF-8; empty for an empty name.
std::string UpperFirstCharacter(const std::string& name);

// A FAT date and time (local wall-clock time) as a UTC file time; the current time when the
// calendar time does not exist. A 10-ms count above 99 adds a second unless it is 58 already.
uint64_t DosTimeToFileTime(uint16_t date, uint16_t time, uint8_t tenMsUnits);

// DosTimeToFileTime with a cache: the files of a volume share few distinct times and the
// local-time conversion is slow. Used by one thread.
class DosTimeConverter {
 public:
  uint64_t Convert(uint16_t date, uint16_t time, uint8_t tenMsUnits);

 private:
  struct Slot {
    uint64_t key = ~uint64_t{0};
    uint64_t value = 0;
  };
  std::array<Slot, 1024> slots_{};
};

}  // namespace orvande
