#pragma once
// Reading a byte range of a sector device at any byte offset. Image files and drives count
// read positions in the caller's units, so bytes are asked for as they are and an image's last
// partial sector still reads. A partition counts them in its own sectors: the sectors around
// the range are read and the wanted bytes copied out.
#include <cstdint>

namespace orvande {

class SectorDevice;

// Up to count bytes from offset; the bytes delivered, 0 with *result set when nothing was read.
uint32_t ReadDeviceBytes(SectorDevice& device, uint64_t offset, uint8_t* buffer, uint32_t count,
                         uint32_t* result);

}  // namespace orvande
