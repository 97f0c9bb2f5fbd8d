#pragma once
// The read shared by devices whose handle reads like a file from byte 0 (image files, and logical
// drives opened by device path). Safe from any thread as long as `io` is.
#include <cstdint>

#include "platform/raw_io.h"

namespace orvande {

// Reads `count` units of (1 << unitShift) bytes from unit `first`. Returns the whole units read
// (fewer, with success, only at the end of the file). When `fillBadUnits` is set and the run fails
// with the data error, it is read again unit by unit; units that still fail come back as zeros
// and the whole count is returned with success.
uint32_t FileLikeRead(platform::RawIo& io, platform::RawIo::Handle handle, uint64_t first,
                      uint8_t* buffer, uint32_t bufferSize, uint32_t* result, uint32_t count,
                      int unitShift, bool fillBadUnits);

// The byte count of count << unitShift, or false when unitShift is outside 0..31.
bool UnitBytes(uint32_t count, int unitShift, uint64_t* bytes);

}  // namespace orvande
