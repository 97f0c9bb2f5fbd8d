#include "core/default_boot_sector.h"

#include <span>

#include "support/le_reader.h"

namespace orvande {
namespace {

// Offsets of the fields set in the default diskette boot sector.
constexpr size_t kBytesPerSectorOffset = 11;     // u16
constexpr size_t kSectorsPerClusterOffset = 13;  // u8
constexpr size_t kReservedSectorsOffset = 14;    // u16
constexpr size_t kFatCountOffset = 16;           // u8
constexpr size_t kRootEntriesOffset = 17;        // u16
constexpr size_t kTotalSectorsOffset = 19;       // u16
constexpr size_t kMediaOffset = 21;              // u8
constexpr size_t kSectorsPerFatOffset = 22;      // u16
constexpr size_t kSectorsPerTrackOffset = 24;    // u16
constexpr size_t kHeadsOffset = 26;              // u16
constexpr size_t kHiddenSectorsOffset = 28;      // u32
constexpr size_t kSignatureOffset = 510;         // 2 bytes

std::array<uint8_t, kBootSectorSize> BuildDefaultFloppyBootSector() {
  std::array<uint8_t, kBootSectorSize> sector{};
  std::span<uint8_t> bytes(sector);
  StoreLe(bytes, kBytesPerSectorOffset, 512, 2);
  StoreLe(bytes, kSectorsPerClusterOffset, 1, 1);
  StoreLe(bytes, kReservedSectorsOffset, 1, 2);
  StoreLe(bytes, kFatCountOffset, 2, 1);
  StoreLe(bytes, kRootEntriesOffset, 224, 2);
  StoreLe(bytes, kTotalSectorsOffset, 2880, 2);
  StoreLe(bytes, kMediaOffset, 0xF0, 1);
  StoreLe(bytes, kSectorsPerFatOffset, 9, 2);
  StoreLe(bytes, kSectorsPerTrackOffset, 18, 2);
  StoreLe(bytes, kHeadsOffset, 2, 2);
  StoreLe(bytes, kHiddenSectorsOffset, 0, 4);
  sector[kSignatureOffset] = 0x55;
  sector[kSignatureOffset + 1] = 0xAA;
  return sector;
}

}  // namespace

const std::array<uint8_t, kBootSectorSize>& DefaultFloppyBootSector() {
  static const std::array<uint8_t, kBootSectorSize> sector = BuildDefaultFloppyBootSector();
  return sector;
}

}  // namespace orvande
