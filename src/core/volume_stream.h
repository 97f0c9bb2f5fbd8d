#pragma once
// The byte stream over a volume handed to the plug-in's SearchFile, starting at a sector.
// Used by one thread at a time (the one that runs the search).
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
  bool Find(const uint8_t* pattern, uint32_t patternLength, uint64_t limit, uint64_t* position) override;
  uint64_t SectorOfOffset(uint64_t offset) override;
  uint64_t Position() const { return position_; }

 private:
  VolumeAnalyzer& analyzer_;
  uint32_t startSector_;
  uint32_t unit_;
  uint32_t shift_;
  uint64_t sectors_;
  uint64_t position_ = 0;
  std::vector<uint8_t> sectorBuffer_;
  uint64_t heldSector_ = UINT64_MAX;
};

}  // namespace orvande
