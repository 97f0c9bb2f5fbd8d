#pragma once
// Reader of the entries of a volume's first allocation table. Used by one thread at a time (the
// analyzer that owns it); its cache is never invalidated because the volume is only read.
//
// The table is read in blocks of many sectors and a few blocks are kept, so that chain walks and
// free-cluster walks over a large table do not read the same sector again and again. Answers are
// the same as reading the entry's sector (for FAT12 also the sector after it) on each change of
// sector: a block that cannot be read whole falls back to exactly those sector reads.
#include <cstdint>
#include <memory>
#include <vector>

namespace orvande {

class VolumeAnalyzer;

class FatTable {
 public:
  // Blocks are about this many bytes (at least one sector).
  static constexpr uint32_t kBlockBytes = 64 * 1024;
  // Blocks kept at once.
  static constexpr uint32_t kCachedBlocks = 16;

  // fatCopies: how many tables follow each other from firstFatSector; a sector of the first that
  // can't be read is taken from the next copy that can.
  FatTable(VolumeAnalyzer& analyzer, uint32_t bytesPerSector, uint32_t firstFatSector,
           uint32_t sectorsPerFat, uint32_t width, uint32_t fatCopies = 1);
  FatTable(const FatTable&) = delete;
  FatTable& operator=(const FatTable&) = delete;

  // The value stored for the cluster; 0 and false when its sector could not be read or the
  // entry lies beyond the table's sectors.
  bool GetEntry(uint32_t cluster, uint32_t* value);
  uint32_t GetEntry(uint32_t cluster) {
    uint32_t value = 0;
    GetEntry(cluster, &value);
    return value;
  }

  bool IsEndOfChain(uint32_t value) const;
  bool IsBad(uint32_t value) const;

  uint32_t Width() const { return width_; }
  uint32_t FirstFatSector() const { return firstFatSector_; }
  uint32_t SectorsPerFat() const { return sectorsPerFat_; }

 private:
  struct Block {
    uint64_t index = 0;
    uint64_t lastUse = 0;
    bool whole = false;  // every sector came back
    std::vector<uint8_t> bytes;
  };

  // Sectors an entry of the table may need: FAT12 entries can reach one sector past the table.
  uint64_t RegionSectors() const;
  Block* BlockFor(uint64_t blockIndex);
  // The byte pair (FAT12/16) or quad (FAT32) of the entry, read as the one-sector cache would.
  bool ReadEntryBySectors(uint64_t sectorIndex, uint32_t inSector, uint32_t width, uint8_t* out);
  uint32_t Decode(uint32_t cluster, const uint8_t* bytes) const;
  // One sector of the table by its index, from the first copy or, when that fails, a later one.
  bool ReadTableSector(uint64_t sectorIndex, uint8_t* out);

  VolumeAnalyzer& analyzer_;
  const uint32_t bytesPerSector_;
  const uint32_t firstFatSector_;
  const uint32_t sectorsPerFat_;
  const uint32_t width_;
  const uint32_t fatCopies_;
  uint32_t blockSectors_;
  std::vector<Block> blocks_;
  uint64_t useCounter_ = 0;
  // The per-sector fallback: one sector (two for FAT12) and the index it holds.
  std::vector<uint8_t> sectorBuffer_;
  int64_t sectorIndex_ = -1;
};

}  // namespace orvande
