#include "disk/boot_sector_kind.h"

#include <algorithm>
#include <bit>
#include <string_view>

#include "support/le_reader.h"

namespace orvande {
namespace {

constexpr size_t kBootSectorSize = 512;
constexpr std::string_view kNtfsOemName = "NTFS    ";
constexpr std::string_view kFatLabel = "FAT";
constexpr size_t kFat16LabelOffset = 0x36;
constexpr size_t kFat32LabelOffset = 0x52;

bool HasText(std::span<const uint8_t> bytes, size_t offset, std::string_view text) {
  if (offset + text.size() > bytes.size()) return false;
  return std::equal(text.begin(), text.end(), bytes.begin() + static_cast<ptrdiff_t>(offset),
                    [](char c, uint8_t b) { return static_cast<uint8_t>(c) == b; });
}

// A FAT volume formatted without the usual label still has a sane parameter block.
bool HasFatParameters(const LeReader& boot) {
  const uint32_t bytesPerSector = boot.U16(0x0B);
  const uint32_t sectorsPerCluster = boot.U8(0x0D);
  const uint32_t tables = boot.U8(0x10);
  return bytesPerSector >= 512 && bytesPerSector <= 4096 && std::has_single_bit(bytesPerSector) &&
         sectorsPerCluster != 0 && std::has_single_bit(sectorsPerCluster) && tables >= 1 &&
         tables <= 2 && boot.U16(0x0E) != 0 && boot.U16(0x1FE) == 0xAA55;
}

}  // namespace

FileSystemKind BootSectorFsKind(std::span<const uint8_t> bootSector) {
  if (bootSector.size() < kBootSectorSize) return kFsNone;
  if (HasText(bootSector, 3, kNtfsOemName)) return kFsNtfs;
  if (HasText(bootSector, kFat16LabelOffset, kFatLabel) ||
      HasText(bootSector, kFat32LabelOffset, kFatLabel)) {
    return kFsFat;
  }
  return HasFatParameters(LeReader(bootSector)) ? kFsFat : kFsNone;
}

}  // namespace orvande
