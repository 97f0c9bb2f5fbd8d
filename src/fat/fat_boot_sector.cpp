#include "fat/fat_boot_sector.h"

#include <cstring>

#include "support/le_reader.h"

namespace orvande {

FatBootFields FatBootFields::Decode(std::span<const uint8_t> bytes) {
  using namespace fat_boot;
  const LeReader reader(bytes);
  FatBootFields fields;
  const std::span<const uint8_t> oem = reader.Sub(kOemNameOffset, 4);
  fields.ntfsOemName = oem.size() == 4 && std::memcmp(oem.data(), "NTFS", 4) == 0;
  fields.bytesPerSector = reader.U16(kBytesPerSectorOffset);
  fields.sectorsPerCluster = reader.U8(kSectorsPerClusterOffset);
  fields.reservedSectors = reader.U16(kReservedSectorsOffset);
  fields.numberOfFats = reader.U8(kNumberOfFatsOffset);
  fields.rootEntries = reader.U16(kRootEntriesOffset);
  fields.totalSectors16 = reader.U16(kTotalSectors16Offset);
  fields.sectorsPerFat16 = reader.U16(kSectorsPerFat16Offset);
  fields.totalSectors32 = reader.U32(kTotalSectors32Offset);
  fields.sectorsPerFat32 = reader.U32(kSectorsPerFat32Offset);
  fields.rootCluster = reader.U32(kRootClusterOffset);
  return fields;
}

uint32_t FatBootFields::FixedRootDirSectors() const {
  if (bytesPerSector == 0) return 0;
  // At most 65535 entries of 32 bytes: no overflow in 64 bits, and the result fits 32 bits.
  const uint64_t bytes = uint64_t{rootEntries} * 32;
  return static_cast<uint32_t>((bytes + bytesPerSector - 1) / bytesPerSector);
}

}  // namespace orvande
