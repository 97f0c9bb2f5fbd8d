#include "fat/fat_table.h"

#include <algorithm>
#include <new>

#include "core/volume_analyzer.h"
#include "support/le_reader.h"
#include "support/operation_log.h"
#include "support/result_codes.h"
#include "support/string_table.h"

namespace orvande {
namespace {

constexpr uint32_t kEndOfChain12 = 0xFF8;
constexpr uint32_t kEndOfChain16 = 0xFFF8;
constexpr uint32_t kEndOfChain32 = 0x0FFFFFF8;
constexpr uint32_t kBad12 = 0xFF7;
constexpr uint32_t kBad16 = 0xFFF7;
constexpr uint32_t kBad32 = 0x0FFFFFF7;
constexpr uint32_t kFat32EntryMask = 0x0FFFFFFF;

}  // namespace

FatTable::FatTable(VolumeAnalyzer& analyzer, uint32_t bytesPerSector, uint32_t firstFatSector,
                   uint32_t sectorsPerFat, uint32_t width, uint32_t fatCopies)
    : analyzer_(analyzer),
      bytesPerSector_(bytesPerSector),
      firstFatSector_(firstFatSector),
      sectorsPerFat_(sectorsPerFat),
      width_(width),
      fatCopies_(fatCopies) {
  blockSectors_ = bytesPerSector_ == 0 ? 1 : std::max<uint32_t>(1, kBlockBytes / bytesPerSector_);
}

bool FatTable::IsEndOfChain(uint32_t value) const {
  if (width_ == 12) return value >= kEndOfChain12;
  if (width_ == 16) return value >= kEndOfChain16;
  return value >= kEndOfChain32;
}

bool FatTable::IsBad(uint32_t value) const {
  if (width_ == 12) return value == kBad12;
  if (width_ == 16) return value == kBad16;
  return value == kBad32;
}

uint64_t FatTable::RegionSectors() const {
  return uint64_t{sectorsPerFat_} + (width_ == 12 ? 1 : 0);
}

uint32_t FatTable::Decode(uint32_t cluster, const uint8_t* bytes) const {
  if (width_ == 12) {
    const uint32_t word = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8);
    return (cluster & 1) != 0 ? word >> 4 : word & 0xFFF;
  }
  if (width_ == 16) return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8);
  return static_cast<uint32_t>(LeReader(bytes, 4).U32(0)) & kFat32EntryMask;
}

bool FatTable::GetEntry(uint32_t cluster, uint32_t* value) {
  *value = 0;
  if (bytesPerSector_ == 0) return false;
  uint64_t offset = 0;
  uint32_t width = 2;
  if (width_ == 12) {
    offset = uint64_t{cluster} + cluster / 2;
  } else if (width_ == 16) {
    offset = uint64_t{cluster} * 2;
  } else {
    offset = uint64_t{cluster} * 4;
    width = 4;
  }
  const uint64_t sectorIndex = offset / bytesPerSector_;
  const uint32_t inSector = static_cast<uint32_t>(offset % bytesPerSector_);
  // A cluster number beyond the table has no entry; reading on would read other structures.
  if (sectorIndex >= sectorsPerFat_) return false;

  uint8_t bytes[4] = {};
  const uint64_t blockIndex = sectorIndex / blockSectors_;
  Block* block = BlockFor(blockIndex);
  if (block != nullptr && block->whole) {
    const uint64_t at = (sectorIndex - blockIndex * blockSectors_) * bytesPerSector_ + inSector;
    if (at + width > block->bytes.size()) return false;
    std::copy_n(block->bytes.data() + at, width, bytes);
  } else if (!ReadEntryBySectors(sectorIndex, inSector, width, bytes)) {
    return false;
  }
  *value = Decode(cluster, bytes);
  return true;
}

FatTable::Block* FatTable::BlockFor(uint64_t blockIndex) {
  ++useCounter_;
  for (Block& block : blocks_) {
    if (block.index == blockIndex) {
      block.lastUse = useCounter_;
      return &block;
    }
  }
  Block* slot = nullptr;
  if (blocks_.size() < kCachedBlocks) {
    try {
      slot = &blocks_.emplace_back();
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  } else {
    slot = &*std::min_element(blocks_.begin(), blocks_.end(),
                              [](const Block& a, const Block& b) { return a.lastUse < b.lastUse; });
  }
  // A FAT12 block also holds the sector after it, where the last entry of the block may end.
  const uint64_t first = blockIndex * blockSectors_;
  const uint64_t wanted = uint64_t{blockSectors_} + (width_ == 12 ? 1 : 0);
  const uint32_t count = static_cast<uint32_t>(std::min(wanted, RegionSectors() - first));
  slot->index = blockIndex;
  slot->lastUse = useCounter_;
  slot->whole = false;
  try {
    slot->bytes.resize(static_cast<size_t>(count) * bytesPerSector_);
  } catch (const std::bad_alloc&) {
    slot->bytes.clear();
    return slot;
  }
  const uint32_t got = analyzer_.ReadVolumeSectors(
      firstFatSector_ + first, slot->bytes.data(), static_cast<uint32_t>(slot->bytes.size()),
      nullptr, count, false, true);
  slot->whole = got == count;
  return slot;
}

bool FatTable::ReadEntryBySectors(uint64_t sectorIndex, uint32_t inSector, uint32_t width,
                                  uint8_t* out) {
  const uint32_t sectors = width_ == 12 ? 2 : 1;
  if (sectorBuffer_.empty()) {
    try {
      sectorBuffer_.resize(static_cast<size_t>(sectors) * bytesPerSector_);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  if (static_cast<int64_t>(sectorIndex) != sectorIndex_) {
    // A failed read must not leave a half-filled buffer under the old index.
    sectorIndex_ = -1;
    if (!ReadTableSector(sectorIndex, sectorBuffer_.data())) return false;
    if (width_ == 12 && sectorIndex <= sectorsPerFat_ &&
        !ReadTableSector(sectorIndex + 1, sectorBuffer_.data() + bytesPerSector_))
      return false;
    sectorIndex_ = static_cast<int64_t>(sectorIndex);
  }
  if (inSector + width > sectorBuffer_.size()) return false;
  std::copy_n(sectorBuffer_.data() + inSector, width, out);
  return true;
}

bool FatTable::ReadTableSector(uint64_t sectorIndex, uint8_t* out) {
  const uint64_t sector = firstFatSector_ + sectorIndex;
  uint32_t result = kSuccess;
  if (analyzer_.ReadVolumeSectors(sector, out, bytesPerSector_, &result, 1, false, true) == 1)
    return true;
  // Entries of a bad sector would read as free clusters and send chains astray, so the copy is
  // asked. The sector after the last one of the table (FAT12) belongs to the next copy itself.
  const bool fresh = result == ErrDataError && analyzer_.NoteBadSector(sector);
  if (sectorIndex >= sectorsPerFat_) return false;
  for (uint32_t copy = 1; copy < fatCopies_; ++copy) {
    const uint64_t other = sector + uint64_t{copy} * sectorsPerFat_;
    if (analyzer_.ReadVolumeSectors(other, out, bytesPerSector_, nullptr, 1, false, true) != 1)
      continue;
    if (fresh && analyzer_.BadSectors().Log() != nullptr)
      analyzer_.BadSectors().Log()->AddFormat(OperationLog::kWarning, strings::kFatCopyUsedFormat,
                                              static_cast<unsigned>(sectorIndex), copy + 1);
    return true;
  }
  return false;
}

}  // namespace orvande
