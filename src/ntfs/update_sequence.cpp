#include "ntfs/update_sequence.h"

#include <algorithm>

#include "ntfs/ntfs_layout.h"
#include "support/le_reader.h"

namespace orvande {
namespace {

// The stride that the format's writers use whatever the sector size.
constexpr uint32_t kBlockStride = 512;

}  // namespace

uint64_t UpdateSequenceStride(uint32_t recordSize, uint32_t bytesPerSector, uint32_t count) {
  // Volumes with sectors above 512 bytes still protect every 512 bytes of a record; the count
  // of words tells which stride the record was written with.
  if (bytesPerSector != 0 && count - 1 != recordSize / bytesPerSector &&
      count - 1 == recordSize / kBlockStride)
    return kBlockStride;
  return bytesPerSector;
}

bool ApplyUpdateSequence(std::span<uint8_t> record, uint32_t recordSize, uint32_t bytesPerSector) {
  LeReader header(record);
  const uint64_t usaOffset = header.U16(record_header::kUsaOffsetOffset);
  const uint32_t count = header.U16(record_header::kUsaCountOffset);
  if (count < 2) return true;
  // Replacement word i lies at usaOffset + 2 i; the first one must not overlap the signature.
  if (usaOffset + 2 < 4) return false;
  const uint64_t end = std::min<uint64_t>(recordSize, record.size());
  const uint64_t stride = UpdateSequenceStride(recordSize, bytesPerSector, count);
  for (uint64_t i = 1; i < count; ++i) {
    const uint64_t sectorEnd = i * stride;
    const uint64_t word = usaOffset + 2 * i;
    if (sectorEnd > recordSize || sectorEnd < 2 || word + 2 > end || sectorEnd > record.size())
      return false;
    StoreLe(record, sectorEnd - 2, header.U16(word), 2);
  }
  return true;
}

}  // namespace orvande
