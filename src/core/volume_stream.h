#pragma once
// The byte stream over a volume handed to the plug-in's SearchFile, starting at a sector.
// Used by one thread at a time (the one that runs the search).
//
// Reads go through the analyzer one sector at a time as far as the outcome is concerned; for
// speed, sectors are fetched several at once and kept, and a batch that fails is read again
// sector by sector so that a failure is met at the same sector.
#include <cstdint>
#include <vector>

#include "typeprobe_abi.h"

namespace orvande {

class VolumeAnalyzer;

class VolumeStream : public typeprobe::Stream {
 public:
  VolumeStream(VolumeAnalyzer& analyzer, uint32_t startSector);
  bool Read(void* buffer, uint32_t size, uint32_t* bytesRead) override;
  uint64_t GetLength() override;
  uint64_t Seek(int64_t offset, int origin, uint64_t* position) override;
  bool Find(const uint8_t* pattern, uint32_t patternLength, uint64_t limit,
            uint64_t* position) override;
  uint64_t SectorOfOffset(uint64_t offset) override;
  uint64_t Position() const { return position_; }

 private:
  bool Usable() const;
  // The bytes of stream sector `sector` (counted from the start sector), read when not held;
  // null when the sector cannot be read.
  const uint8_t* SectorData(uint64_t sector);
  bool ReadAhead(uint64_t sector, uint32_t count);

  VolumeAnalyzer& analyzer_;
  uint32_t startSector_;
  uint32_t unit_;
  uint32_t shift_;
  uint64_t sectors_;  // from the start sector to the end of the volume
  uint64_t position_ = 0;
  // Consecutive sectors read ahead: stream sectors [heldFirst_, heldFirst_ + heldCount_).
  std::vector<uint8_t> sectorBuffer_;
  uint32_t batchSectors_ = 1;
  uint64_t heldFirst_ = 0;
  uint32_t heldCount_ = 0;
  // After a batch that failed, the sectors below this one are read one at a time, so that a
  // read ends at exactly the sector that fails.
  uint64_t singleUntil_ = 0;
};

}  // namespace orvande
