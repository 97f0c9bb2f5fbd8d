#pragma once
// What the sector viewer reads: a run of bytes addressed by 64-bit offsets, shown in blocks
// (sectors) whose header line names the sector and the cluster. The viewer holds a source but
// does not own it. A source is read by one thread at a time.
#include <cstddef>
#include <cstdint>

namespace orvande {

class SectorDataSource {
 public:
  virtual ~SectorDataSource() = default;

  // Fills up to count bytes from offset; the number of bytes read. Bytes past the returned count
  // could not be read (an error or the end of the data).
  virtual size_t Read(uint64_t offset, uint8_t* buffer, size_t count) = 0;
  // Rows of the view restart at every multiple of this (never 0).
  virtual uint32_t BlockSize() const = 0;
  virtual uint32_t BytesPerSector() const = 0;
  virtual uint32_t BytesPerCluster() const = 0;
  // The last valid offset is TotalSize() - 1; 0 for an empty source.
  virtual uint64_t TotalSize() const = 0;
};

}  // namespace orvande
