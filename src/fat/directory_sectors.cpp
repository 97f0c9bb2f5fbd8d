#include "fat/directory_sectors.h"

#include "core/volume_analyzer.h"
#include "support/result_codes.h"

namespace orvande {

std::vector<ReadStretch> ReadDirectorySectors(VolumeAnalyzer& analyzer, uint64_t first,
                                              uint32_t count, std::span<uint8_t> buffer) {
  std::vector<ReadStretch> stretches;
  const size_t sectorBytes = analyzer.BytesPerSector();
  if (count == 0 || sectorBytes == 0 || buffer.size() / sectorBytes < count) return stretches;
  const uint32_t size = static_cast<uint32_t>(size_t{count} * sectorBytes);
  if (analyzer.ReadVolumeSectors(first, buffer.data(), size, nullptr, count, false, true) ==
      count) {
    stretches.push_back(ReadStretch{0, size});
    return stretches;
  }
  for (uint32_t k = 0; k < count; ++k) {
    const size_t offset = size_t{k} * sectorBytes;
    uint32_t result = kSuccess;
    if (analyzer.ReadVolumeSectors(first + k, buffer.data() + offset,
                                   static_cast<uint32_t>(sectorBytes), &result, 1, false,
                                   true) != 1) {
      // Past the end of a short image nothing fails: the sector is just not there.
      if (result == ErrDataError) analyzer.NoteBadSector(first + k);
      continue;
    }
    if (!stretches.empty() && stretches.back().offset + stretches.back().bytes == offset)
      stretches.back().bytes += sectorBytes;
    else
      stretches.push_back(ReadStretch{offset, sectorBytes});
  }
  return stretches;
}

}  // namespace orvande
